#include "Production_Record.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

std::string Json_String(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
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

std::string Seconds_Text(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
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
    return "{\"port\":" + Json_String(r.Port) + ",\"device\":" + Json_String(r.Device) +
           ",\"serial\":" + (r.Serial ? Json_String(*r.Serial) : std::string("null")) +
           ",\"outcome\":\"" + Outcome_Name(r.Outcome) +
           "\",\"exit_code\":" + std::to_string(Exit_Code(r.Outcome)) +
           ",\"blocks\":" + std::to_string(r.Blocks) + ",\"retries\":" + std::to_string(r.Retries) +
           ",\"seconds\":" + Seconds_Text(r.Seconds) + ",\"image_sha256\":\"" + r.Image_Sha256 +
           "\",\"finished\":\"" + r.Finished + "\"}";
}

std::string Json_Summary(const Production_Totals& t) {
    return "{\"summary\":true,\"rounds\":" + std::to_string(t.Rounds) +
           ",\"units\":" + std::to_string(t.Units) +
           ",\"succeeded\":" + std::to_string(t.Succeeded) +
           ",\"failed\":" + std::to_string(t.Units - t.Succeeded) +
           ",\"exit_code\":" + std::to_string(Production_Exit_Status(t.Exit_Codes)) + "}";
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
