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

    Port_Open_Failure Open(const Port_Entry& port, const Line_Settings& settings) override;
    void Close() override;
    bool PortOpen() const override { return port_.isOpen(); }

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
    Port_Open_Failure Open_Failure(QSerialPort::SerialPortError error) const;
    bool Apply(const Line_Settings& settings);

    QSerialPort port_;
    std::string device_;
    std::int16_t comm_event_ = 0;
    unsigned line_generation_ = 0;
    std::function<void()> on_comm_;
};
