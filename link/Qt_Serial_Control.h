#pragma once

#include "Serial_Control.h"

#include <QObject>
#include <QSerialPort>

#include <cstdint>
#include <functional>
#include <string>

// RS232_Interface over QSerialPort. Lives on the user-interface thread and is used only from it:
// received bytes are reported through OnComm from the event loop, inside a yield.
class Qt_Serial_Control : public QObject, public Serial_Control {
    Q_OBJECT

  public:
    explicit Qt_Serial_Control(QObject* parent = nullptr);
    ~Qt_Serial_Control() override;

    std::vector<Port_Entry> Available_Ports() override;

    void Set_CommPort(std::int16_t port) override;
    std::int16_t CommPort() const override { return port_number_; }
    void Set_Port_Device(const std::string& device) override;

    bool Set_PortOpen(bool open) override;
    bool PortOpen() const override { return port_.isOpen(); }
    Port_Failure Last_Failure() const override { return last_failure_; }
    std::string Last_Error() const override { return last_error_; }

    bool Set_Settings(const std::string& settings) override;

    void Output(const std::string& bytes) override;
    std::string Input() override;
    std::size_t Discard_Input() override;
    std::int16_t CommEvent() const override { return comm_event_; }

    void Set_OnComm(std::function<void()> handler) override { on_comm_ = std::move(handler); }

    // The device the port was last opened on (or is open on).
    std::string Device() const { return device_; }

  private:
    void On_Ready_Read();
    void On_Error(QSerialPort::SerialPortError error);
    bool Line_Hung_Up() const;
    bool Device_Gone(QSerialPort::SerialPortError error) const;
    void Report_Port_Lost();
    void Raise(std::int16_t event);
    void Fail(Port_Failure failure, const std::string& why);
    void Open_Failed(QSerialPort::SerialPortError error);

    QSerialPort port_;
    std::int16_t port_number_ = 1;
    std::string bound_device_; // what the next opening uses; unbound by a new number
    std::string device_;
    Port_Failure last_failure_ = Port_Failure::None;
    std::string last_error_;
    std::int16_t comm_event_ = 0;
    unsigned line_generation_ = 0;
    std::function<void()> on_comm_;
};
