#include "Qt_Serial_Control.h"

#include "Port_Permission.h"
#include "Qt_Port_List.h"

#ifndef Q_OS_WIN
#include <poll.h>
#include <sys/ioctl.h>
#endif

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

Port_Open_Failure Qt_Serial_Control::Open(const Port_Entry& entry, const Line_Settings& settings) {
    Close();
    if (entry.Device.empty()) {
        return {Port_Failure::Not_Found,
                "port " + std::to_string(entry.Number) + " is bound to no device"};
    }
    device_ = entry.Device;
    port_.setPortName(QString::fromStdString(device_));
    if (!port_.open(QIODevice::ReadWrite)) {
        Port_Open_Failure failure = Open_Failure(port_.error());
        port_.clearError();
        return failure;
    }
    comm_event_ = 0;
    if (!Apply(settings)) {
        Port_Open_Failure failure{Port_Failure::Settings_Refused,
                                  "settings \"" + Settings_Text(settings) +
                                      "\": " + port_.errorString().toStdString()};
        Close();
        return failure;
    }
    return {};
}

void Qt_Serial_Control::Close() {
    port_.close();
    port_.clearError();
    ++line_generation_;
}

Port_Open_Failure Qt_Serial_Control::Open_Failure(QSerialPort::SerialPortError error) const {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return {Port_Failure::Not_Found, device_ + ": does not exist"};
    case QSerialPort::PermissionError:
        // The port refuses both a user without rights and a second user of the port.
        if (Device_Access(device_) != Port_Access::Denied) {
            return {Port_Failure::In_Use, device_ + ": in use by another program"};
        }
        return {Port_Failure::No_Permission,
                English_Permission_Text(device_, Device_Group(device_))};
    default:
        return {Port_Failure::Other, device_ + ": " + port_.errorString().toStdString()};
    }
}

bool Qt_Serial_Control::Apply(const Line_Settings& settings) {
    static constexpr QSerialPort::Parity Parities[] = {
        QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity,
        QSerialPort::MarkParity, QSerialPort::SpaceParity};
    return port_.setBaudRate(static_cast<qint32>(settings.Baud)) &&
           port_.setParity(Parities[std::size_t(settings.Parity_Bit)]) &&
           port_.setDataBits(static_cast<QSerialPort::DataBits>(settings.Data_Bits)) &&
           port_.setStopBits(settings.Stop_Bits == 1 ? QSerialPort::OneStop
                                                     : QSerialPort::TwoStop) &&
           port_.setFlowControl(QSerialPort::NoFlowControl);
}

void Qt_Serial_Control::Output(const std::string& bytes) {
    if (!port_.isOpen()) {
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
