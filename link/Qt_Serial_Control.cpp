#include "Qt_Serial_Control.h"

#include "Port_Registry.h"

#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

#ifndef Q_OS_WIN
#include <poll.h>
#include <sys/ioctl.h>
#endif

namespace {

std::string Trimmed(std::string text) {
    auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    return text;
}

bool Parse_Whole_Number(const std::string& text, long& value) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; })) {
        return false;
    }
    value = std::stol(text);
    return true;
}

} // namespace

Qt_Serial_Control::Qt_Serial_Control(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &Qt_Serial_Control::On_Ready_Read);
    connect(&port_, &QSerialPort::errorOccurred, this, &Qt_Serial_Control::On_Error);
}

Qt_Serial_Control::~Qt_Serial_Control() {
    // No OnComm from a control that is going away.
    on_comm_ = nullptr;
    port_.disconnect(this);
    port_.close();
}

std::vector<Port_Entry> Qt_Serial_Control::Available_Ports() {
    return List_Ports();
}

void Qt_Serial_Control::Set_CommPort(std::int16_t port) {
    port_number_ = port;
    bound_device_.clear();
}

void Qt_Serial_Control::Set_Port_Device(const std::string& device) {
    bound_device_ = device;
}

void Qt_Serial_Control::Fail(Port_Failure failure, const std::string& why) {
    last_failure_ = failure;
    last_error_ = why;
}

bool Qt_Serial_Control::Set_PortOpen(bool open) {
    if (!open) {
        port_.close();
        port_.clearError();
        ++line_generation_;
        return true;
    }
    if (port_.isOpen()) {
        return true;
    }
    if (bound_device_.empty()) {
        Fail(Port_Failure::Not_Found,
             "port " + std::to_string(port_number_) + " is bound to no device");
        return false;
    }
    device_ = bound_device_;
    port_.setPortName(QString::fromStdString(device_));
    if (!port_.open(QIODevice::ReadWrite)) {
        Open_Failed(port_.error());
        port_.clearError();
        return false;
    }
    Fail(Port_Failure::None, "");
    comm_event_ = 0;
    ++line_generation_;
    return true;
}

void Qt_Serial_Control::Open_Failed(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        Fail(Port_Failure::Not_Found, device_ + ": does not exist");
        return;
    case QSerialPort::PermissionError: {
        // The port refuses both a user without rights and a second user of the port.
        const QFileInfo file(QString::fromStdString(device_));
        if (file.exists() && file.isReadable() && file.isWritable()) {
            Fail(Port_Failure::In_Use, device_ + ": in use by another program");
        } else {
            Fail(Port_Failure::No_Permission, device_ + ": permission denied");
        }
        return;
    }
    default:
        Fail(Port_Failure::Other, device_ + ": " + port_.errorString().toStdString());
        return;
    }
}

bool Qt_Serial_Control::Set_Settings(const std::string& settings) {
    std::vector<std::string> fields;
    std::istringstream stream(settings);
    for (std::string field; std::getline(stream, field, ',');) {
        fields.push_back(Trimmed(field));
    }
    long baud = 0;
    long data_bits = 0;
    long stop_bits = 0;
    if (fields.size() != 4 || !Parse_Whole_Number(fields[0], baud) || baud <= 0) {
        Fail(Port_Failure::Settings_Refused,
             "settings \"" + settings + "\": expected baud,parity,data bits,stop bits");
        return false;
    }
    QSerialPort::Parity parity = QSerialPort::NoParity;
    std::string letter = fields[1];
    std::transform(letter.begin(), letter.end(), letter.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (letter == "n") {
        parity = QSerialPort::NoParity;
    } else if (letter == "e") {
        parity = QSerialPort::EvenParity;
    } else if (letter == "o") {
        parity = QSerialPort::OddParity;
    } else if (letter == "m") {
        parity = QSerialPort::MarkParity;
    } else if (letter == "s") {
        parity = QSerialPort::SpaceParity;
    } else {
        Fail(Port_Failure::Settings_Refused,
             "settings \"" + settings + "\": parity must be n, e, o, m or s");
        return false;
    }
    if (!Parse_Whole_Number(fields[2], data_bits) || data_bits < 5 || data_bits > 8) {
        Fail(Port_Failure::Settings_Refused,
             "settings \"" + settings + "\": data bits must be 5 to 8");
        return false;
    }
    if (!Parse_Whole_Number(fields[3], stop_bits) || (stop_bits != 1 && stop_bits != 2)) {
        Fail(Port_Failure::Settings_Refused,
             "settings \"" + settings + "\": stop bits must be 1 or 2");
        return false;
    }
    const bool applied =
        port_.setBaudRate(static_cast<qint32>(baud)) && port_.setParity(parity) &&
        port_.setDataBits(static_cast<QSerialPort::DataBits>(data_bits)) &&
        port_.setStopBits(stop_bits == 1 ? QSerialPort::OneStop : QSerialPort::TwoStop) &&
        port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!applied) {
        Fail(Port_Failure::Settings_Refused,
             "settings \"" + settings + "\": " + port_.errorString().toStdString());
        port_.clearError();
        return false;
    }
    return true;
}

void Qt_Serial_Control::Output(const std::string& bytes) {
    if (!port_.isOpen()) {
        last_error_ = "the port is not open";
        return;
    }
    port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Hand the bytes to the system now instead of at the next pass of the event loop; what the
    // system cannot take yet (a full line) goes out from the loop, during the wait for the
    // reply.
    while (port_.bytesToWrite() > 0 && port_.flush()) {
    }
}

std::string Qt_Serial_Control::Input() {
    const QByteArray bytes = port_.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::size_t Qt_Serial_Control::Discard_Input() {
    if (!port_.isOpen()) {
        return 0;
    }
    auto waiting = static_cast<std::size_t>(port_.bytesAvailable());
#ifndef Q_OS_WIN
    int unread = 0;
    if (::ioctl(static_cast<int>(port_.handle()), FIONREAD, &unread) == 0 && unread > 0) {
        waiting += static_cast<std::size_t>(unread);
    }
#endif
    port_.clear(QSerialPort::Input);
    return waiting;
}

void Qt_Serial_Control::Raise(std::int16_t event) {
    comm_event_ = event;
    if (on_comm_) {
        on_comm_();
    }
}

void Qt_Serial_Control::On_Ready_Read() {
    Raise(comEvReceive);
}

bool Qt_Serial_Control::Line_Hung_Up() const {
#ifdef Q_OS_WIN
    return false;
#else
    pollfd line{static_cast<int>(port_.handle()), POLLIN, 0};
    return ::poll(&line, 1, 0) == 1 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#endif
}

void Qt_Serial_Control::On_Error(QSerialPort::SerialPortError error) {
    if (!port_.isOpen()) {
        return;
    }
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
        error != QSerialPort::WriteError) {
        return;
    }
    if (Device_Gone(error)) {
        Report_Port_Lost();
    } else {
        port_.clearError();
    }
}

bool Qt_Serial_Control::Device_Gone(QSerialPort::SerialPortError error) const {
#ifdef Q_OS_WIN
    return error == QSerialPort::ResourceError;
#else
    // A line that the far end does not read for a moment refuses bytes with EAGAIN, which
    // arrives as a resource error too; the bytes wait and go out from the event loop. A device
    // that is gone (adapter pulled, pseudo-terminal closed) hangs the line up, and a read that
    // ends in end-of-file shows the same.
    Q_UNUSED(error);
    return Line_Hung_Up();
#endif
}

void Qt_Serial_Control::Report_Port_Lost() {
    last_error_ = device_ + ": the port went away";
    port_.close();
    port_.clearError();
    // The loss can show inside Output; the handler still runs only from the event loop, as every
    // OnComm does. An opening or closing in between makes the report void.
    const unsigned generation = line_generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == line_generation_) {
                Raise(comEventPortLost);
            }
        },
        Qt::QueuedConnection);
}
