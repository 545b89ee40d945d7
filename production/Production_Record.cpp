#include "Production_Record.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <ctime>

namespace {

using Json = nlohmann::ordered_json;

// One line; a byte that is not part of valid UTF-8 (a serial number or device name is whatever
// the adapter or the system reports) becomes U+FFFD, so that every line is valid JSON.
std::string One_Line(const Json& object) {
    return object.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string Csv_Field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string out = "\"";
    for (const char c : text) {
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return out + "\"";
}

// Always with a decimal point: the command line takes the system's locale, whose decimal comma
// would split the field in two.
std::string Seconds_Text(double seconds) {
    char text[400];
    const auto end = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 3);
    return std::string(text, end.ptr);
}

// The number nearest to the milliseconds the CSV log shows, so that both records agree.
double Whole_Milliseconds(double seconds) {
    const std::string text = Seconds_Text(seconds);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

void Production_Totals::Add(const Unit_Record& record) {
    ++Units;
    Succeeded += record.Outcome == Run_Outcome::Written ? 1 : 0;
    Exit_Codes.push_back(Exit_Code(record.Outcome));
}

int Production_Exit_Status(const std::vector<int>& exit_codes) {
    const auto highest = std::max_element(exit_codes.begin(), exit_codes.end());
    return highest == exit_codes.end() ? Exit_Ok : *highest;
}

std::string Json_Record(const Unit_Record& r) {
    return One_Line({{"port", r.Port},
                     {"device", r.Device},
                     {"serial", r.Serial ? Json(*r.Serial) : Json(nullptr)},
                     {"outcome", Outcome_Name(r.Outcome)},
                     {"exit_code", Exit_Code(r.Outcome)},
                     {"blocks", r.Blocks},
                     {"retries", r.Retries},
                     {"seconds", Whole_Milliseconds(r.Seconds)},
                     {"image_sha256", r.Image_Sha256},
                     {"finished", r.Finished}});
}

std::string Json_Summary(const Production_Totals& t) {
    return One_Line({{"summary", true},
                     {"rounds", t.Rounds},
                     {"units", t.Units},
                     {"succeeded", t.Succeeded},
                     {"failed", t.Units - t.Succeeded},
                     {"exit_code", Production_Exit_Status(t.Exit_Codes)}});
}

std::string Csv_Header() {
    return "finished,port,device,serial,outcome,exit_code,blocks,retries,seconds,image_sha256";
}

std::string Csv_Record(const Unit_Record& r) {
    return r.Finished + "," + Csv_Field(r.Port) + "," + Csv_Field(r.Device) + "," +
           Csv_Field(r.Serial.value_or("")) + "," + Outcome_Name(r.Outcome) + "," +
           std::to_string(Exit_Code(r.Outcome)) + "," + std::to_string(r.Blocks) + "," +
           std::to_string(r.Retries) + "," + Seconds_Text(r.Seconds) + "," + r.Image_Sha256;
}

std::string Utc_Now() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}
