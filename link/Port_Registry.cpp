#include "Port_Registry.h"

#include "Port_Registration.h"

#include <QSerialPortInfo>

#include <algorithm>

#ifdef Q_OS_WIN

std::vector<Port_Entry> List_Ports() {
    std::vector<Port_Entry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString name = info.portName();
        bool is_number = false;
        const int number = name.mid(3).toInt(&is_number);
        if (name.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive) && is_number) {
            ports.push_back({number, name.toStdString(), info.description().toStdString()});
        }
    }
    std::sort(ports.begin(), ports.end(),
              [](const Port_Entry& x, const Port_Entry& y) { return x.Number < y.Number; });
    return ports;
}

std::optional<std::string> Device_For_Port(int number) {
    if (number < 1) {
        return std::nullopt;
    }
    return "COM" + std::to_string(number);
}

#else

std::vector<Port_Entry> List_Ports() {
    std::vector<System_Port> system;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        std::string description = info.description().toStdString();
        if (description.empty()) {
            description = info.hasVendorIdentifier() ? "USB serial adapter" : "serial port";
        }
        system.push_back({info.systemLocation().toStdString(), description});
    }
    return Number_Ports(system, Registered_Ports());
}

std::optional<std::string> Device_For_Port(int number) {
    for (const Port_Entry& port : List_Ports()) {
        if (port.Number == number) {
            return port.Device;
        }
    }
    return std::nullopt;
}

#endif
