#include "Cli_Ports.h"

#include "Port_Number.h"
#include "Port_Permission.h"
#include "Qt_Port_List.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <iostream>

namespace {

QJsonValue Json_Text(const std::string& text) {
    return text.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(text));
}

// Told from the device's permissions: opening a port to find out would disturb a unit on it.
QJsonValue Json_Access(Port_Access access) {
    return access == Port_Access::Unknown ? QJsonValue() : QJsonValue(access == Port_Access::Ok);
}

std::string Access_Text(Port_Access access) {
    return access == Port_Access::Unknown ? "" : access == Port_Access::Ok ? "ok" : "denied";
}

void Print_Json(const std::vector<Port_Entry>& ports) {
    QJsonArray list;
    for (const Port_Entry& port : ports) {
        list.append(QJsonObject{
            {QStringLiteral("number"), port.Number},
            {QStringLiteral("device"), QString::fromStdString(port.Device)},
            {QStringLiteral("description"), Json_Text(port.Description)},
            {QStringLiteral("manufacturer"), Json_Text(port.Manufacturer)},
            {QStringLiteral("vid_pid"), Json_Text(Usb_Ids(port))},
            {QStringLiteral("serial_number"), Json_Text(port.Serial_Number)},
            {QStringLiteral("simulated"), port.Simulated_Pid != 0},
            {QStringLiteral("accessible"), Json_Access(Device_Access(port.Device))},
        });
    }
    std::cout << QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString();
}

// One column per field, as wide as its widest value; "-" where a port has no value.
void Print_Table(const std::vector<Port_Entry>& ports) {
    std::vector<std::array<std::string, 7>> rows{
        {"PORT", "DEVICE", "DESCRIPTION", "MANUFACTURER", "VID:PID", "SERIAL", "ACCESS"}};
    for (const Port_Entry& port : ports) {
        rows.push_back({"COM " + std::to_string(port.Number), port.Device, port.Description,
                        port.Manufacturer, Usb_Ids(port), port.Serial_Number,
                        Access_Text(Device_Access(port.Device))});
    }
    std::array<std::size_t, 7> widths{};
    for (auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            row[c] = row[c].empty() ? "-" : row[c];
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line +=
                row[c] + std::string(c + 1 < row.size() ? widths[c] - row[c].size() + 2 : 0, ' ');
        }
        std::cout << line << "\n";
    }
}

} // namespace

int Run_Ports(const Cli_Arguments& args) {
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("json"), QStringLiteral("print the list as JSON")});
    if (const auto status = Parse_Arguments(parser, args)) {
        return *status;
    }
    const bool json = parser.isSet(QStringLiteral("json"));
    const auto ports = List_Ports();
    if (json) {
        Print_Json(ports);
    } else if (ports.empty()) {
        std::cout << "No serial port found.\n";
    } else {
        Print_Table(ports);
    }
    return Exit_Ok;
}
