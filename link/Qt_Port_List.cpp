#include "Qt_Port_List.h"

#include <QSerialPortInfo>

#ifndef Q_OS_WIN
#include "Port_Number.h"
#include "Posix_Port_Registration.h"
#endif

#include <algorithm>

namespace {

Port_Entry Entry_Of(const QSerialPortInfo& info) {
    Port_Entry port;
    port.Device = info.systemLocation().toStdString();
    port.Description = info.description().toStdString();
    port.Manufacturer = info.manufacturer().toStdString();
    port.Has_Usb_Ids = info.hasVendorIdentifier() && info.hasProductIdentifier();
    port.Vendor_Id = port.Has_Usb_Ids ? info.vendorIdentifier() : 0;
    port.Product_Id = port.Has_Usb_Ids ? info.productIdentifier() : 0;
    port.Serial_Number = info.serialNumber().toStdString();
    if (port.Description.empty()) {
        port.Description = port.Has_Usb_Ids ? "USB serial adapter" : "serial port";
    }
    return port;
}

} // namespace

#ifdef Q_OS_WIN

std::vector<Port_Entry> List_Ports() {
    std::vector<Port_Entry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString name = info.portName();
        bool is_number = false;
        const int number = name.mid(3).toInt(&is_number);
        if (name.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive) && is_number) {
            Port_Entry port = Entry_Of(info);
            port.Number = number;
            port.Device = name.toStdString();
            ports.push_back(port);
        }
    }
    std::sort(ports.begin(), ports.end(),
              [](const Port_Entry& x, const Port_Entry& y) { return x.Number < y.Number; });
    return ports;
}

#else

std::vector<Port_Entry> List_Ports() {
    std::vector<Port_Entry> system;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        system.push_back(Entry_Of(info));
    }
    return Number_Ports(std::move(system), Registered_Ports());
}

#endif
