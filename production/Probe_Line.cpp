#include "Probe_Line.h"

#include "Frames.h"
#include "Port_Choice.h"
#include "mod_RS232_COD.h"

#include <utility>

Serial_Probe_Line::Serial_Probe_Line(std::unique_ptr<Serial_Control> port,
                                     std::function<void()> heard)
    : port_(std::move(port)), heard_(std::move(heard)) {
    port_->Set_OnComm([this] { Receive(); });
}

Serial_Probe_Line::~Serial_Probe_Line() {
    port_->Set_OnComm(nullptr);
    port_->Close();
}

Port_Open_Failure Serial_Probe_Line::Open(const Port_Entry& port) {
    received_.clear();
    answers_ = 0;
    lost_ = false;
    const Port_Open_Failure failure = port_->Open(port, Link_Line_Settings());
    if (!failure.Failed()) {
        // What a unit said to an earlier program is no answer to this watch.
        port_->Discard_Input();
    }
    return failure;
}

void Serial_Probe_Line::Close() {
    port_->Close();
}

void Serial_Probe_Line::Probe() {
    if (port_->PortOpen()) {
        port_->Output(Find_Module_Request());
    }
}

bool Serial_Probe_Line::Answered() {
    return std::exchange(answers_, 0) > 0;
}

void Serial_Probe_Line::Receive() {
    if (port_->CommEvent() == comEventPortLost) {
        lost_ = true;
        heard_();
        return;
    }
    received_ += port_->Input();
    const std::size_t replies =
        Take_Valid_Replies(received_, Cmd_Find_Module, Find_Module_Reply_Length);
    if (replies > 0) {
        answers_ += static_cast<int>(replies);
        heard_();
    }
}
