#include "mod_RS232.h"

#include <algorithm>

namespace {

std::uint32_t Time_Left(std::uint32_t elapsed, std::uint32_t period) {
    return period - std::min(elapsed, period);
}

} // namespace

RS232_Link::RS232_Link(Program_Data& data, Serial_Control& port, Window_System& ws,
                       Millisecond_Clock& clock, Link_Events& events)
    : data_(data), port_(port), ws_(ws), clock_(clock), events_(events) {
    port_.Set_OnComm([this] { RS232_Interface_OnComm(); });
}

RS232_Link::~RS232_Link() {
    port_.Set_OnComm(nullptr);
}

void RS232_Link::RS232_Interface_OnComm() {
    const std::int16_t event = port_.CommEvent();
    if (event == comEventPortLost && port_lost_handler_) {
        port_lost_handler_();
    }
    if (event != comEvReceive) {
        return;
    }
    // The handler runs from the event loop: a failing read must leave the buffer as it was
    // rather than escape into the loop.
    std::string bytes;
    try {
        bytes = port_.Input();
    } catch (...) {
    }
    // Bytes between two waits belong to no request; kept, they could be taken for the next
    // request's reply.
    if (!awaiting_reply_) {
        stats_.Discarded_Bytes += bytes.size();
        return;
    }
    received_ += bytes.size();
    // A unit or line that floods must not grow the buffer: a reply is decided on its first
    // bytes.
    const std::size_t kept = std::min(bytes.size(), Rx_Buffer_Capacity - data_.Rx_Buffer.size());
    data_.Rx_Buffer.append(bytes, 0, kept);
    stats_.Discarded_Bytes += bytes.size() - kept;
    data_.Rx_Count = static_cast<std::uint8_t>(data_.Rx_Buffer.size());
}

bool RS232_Link::Find_Module() {
    port_lost_ = false;
    events_.Step_Started(Link_Step::Find_Module);
    // Bytes already waiting when the run starts (the late reply to a run that ended mid-way)
    // answer none of this run's requests.
    stats_.Discarded_Bytes += port_.Discard_Input();
    const Step_Rules rules{Find_Module_Reply_Length, false, false, Find_Module_Failure};
    const bool found =
        Exchange(Find_Module_Request(), rules, {Link_Step::Find_Module}) == Step_Result::Answered;
    events_.Step_Ended(Link_Step::Find_Module, found);
    return found;
}

bool RS232_Link::Write_EEPROM() {
    port_lost_ = false;
    data_.Stop_Request = false;
    events_.Step_Started(Link_Step::Write_Block);
    const bool written = Write_Blocks();
    events_.Step_Ended(Link_Step::Write_Block, written);
    return written;
}

bool RS232_Link::Write_Blocks() {
    const Step_Rules rules{Acknowledge_Length, true, true, Write_EEPROM_Failure};
    const std::size_t blocks = data_.EEPROM_Image.size() / Block_Size;
    for (std::size_t k = 0; k < blocks; ++k) {
        if (abort_) {
            return false;
        }
        events_.Block_Started(k, blocks);
        ws_.Yield(0);
        if (abort_) {
            return false;
        }
        if (Exchange(Write_Block_Request(data_.EEPROM_Image, k), rules,
                     {Link_Step::Write_Block, k, blocks}) != Step_Result::Answered) {
            return false;
        }
        ++stats_.Blocks_Written;
        events_.Block_Acknowledged(k, blocks);
    }
    return true;
}

bool RS232_Link::Reset_PIC() {
    port_lost_ = false;
    events_.Step_Started(Link_Step::Reset_PIC);
    const Step_Rules rules{Acknowledge_Length, false, false, Reset_PIC_Failure};
    const bool reset =
        Exchange(Reset_PIC_Request(), rules, {Link_Step::Reset_PIC}) == Step_Result::Answered;
    events_.Step_Ended(Link_Step::Reset_PIC, reset);
    return reset;
}

RS232_Link::Step_Result RS232_Link::Exchange(const std::string& request, const Step_Rules& rules,
                                             Link_Attempt what) {
    ++stats_.Requests;
    // A reply names no request, and the unit answers every request it hears, in turn: an attempt
    // whose wait heard no valid reply may still be answered, late, and that reply must not be
    // taken for the next request's. Each such attempt owes one reply.
    const auto command = static_cast<std::uint8_t>(request[0]);
    for (int attempt = 0; attempt < Max_Attempts; ++attempt) {
        if (attempt > 0) {
            ++stats_.Retries;
        }
        what.Number = attempt + 1;
        switch (Attempt(request, rules, what)) {
        case Attempt_Result::Valid: {
            const auto owed = static_cast<std::size_t>(attempt);
            if (!rules.Drains_Late_Replies || owed == 0) {
                return Step_Result::Answered;
            }
            switch (Await_Owed_Replies(command, owed, rules)) {
            case Wait_End::Done:
                return Step_Result::Answered;
            case Wait_End::Interrupted:
                return Step_Result::Interrupted;
            case Wait_End::Port_Gone:
                port_lost_ = true;
                break;
            case Wait_End::Unsettled:
                break;
            }
            Report_Failure(rules.Failure_Text);
            return Step_Result::Failed;
        }
        case Attempt_Result::Invalid:
            break;
        case Attempt_Result::Interrupted:
            return Step_Result::Interrupted;
        case Attempt_Result::Port_Gone:
            // Retrying on a port that is gone would only wait out two more time-outs.
            port_lost_ = true;
            Report_Failure(rules.Failure_Text);
            return Step_Result::Failed;
        }
    }
    Report_Failure(rules.Failure_Text);
    return Step_Result::Failed;
}

RS232_Link::Attempt_Result RS232_Link::Attempt(const std::string& request, const Step_Rules& rules,
                                               const Link_Attempt& what) {
    if (abort_) {
        return Attempt_Result::Interrupted;
    }
    if (!port_.PortOpen()) {
        return Attempt_Result::Port_Gone;
    }
    port_.Output(request);
    request_sent_at_ = clock_.timeGetTime();
    stats_.Bytes_Sent += request.size();
    events_.Request_Sent(what, request);

    switch (Wait_For_Bytes(rules.Reply_Length, rules.Polls_Stop)) {
    case Wait_End::Done:
    case Wait_End::Unsettled:
        break;
    case Wait_End::Interrupted:
        return Attempt_Result::Interrupted;
    case Wait_End::Port_Gone:
        return Attempt_Result::Port_Gone;
    }

    events_.Reply_Heard(what, data_.Rx_Buffer, received_);

    const auto command = static_cast<std::uint8_t>(request[0]);
    if (data_.Rx_Count >= rules.Reply_Length &&
        Reply_Valid(data_.Rx_Buffer, command, rules.Reply_Length)) {
        return Attempt_Result::Valid;
    }
    return Attempt_Result::Invalid;
}

void RS232_Link::Begin_Wait() {
    data_.Rx_Count = 0;
    data_.Rx_Buffer.clear();
    received_ = 0;
    awaiting_reply_ = true;
}

RS232_Link::Wait_End RS232_Link::Interruption(bool polls_stop) const {
    if (abort_) {
        return Wait_End::Interrupted;
    }
    if (!port_.PortOpen()) {
        return Wait_End::Port_Gone;
    }
    return polls_stop && data_.Stop_Request ? Wait_End::Interrupted : Wait_End::Done;
}

RS232_Link::Wait_End RS232_Link::Wait_For_Bytes(std::size_t length, bool polls_stop) {
    Begin_Wait();
    const std::uint32_t start = clock_.timeGetTime();
    std::uint32_t elapsed = 0;
    Wait_End end = Wait_End::Done;
    for (;;) {
        // Handing the remaining time to the yield lets it block until a byte or the deadline
        // instead of spinning through the wait.
        ws_.Yield(std::max<std::uint32_t>(Reply_Timeout_Ms - elapsed, 1));
        end = Interruption(polls_stop);
        if (end != Wait_End::Done) {
            break;
        }
        if (data_.Rx_Count >= length) {
            break;
        }
        // Unsigned subtraction gives the true interval across a wrap of the 32-bit clock.
        elapsed = clock_.timeGetTime() - start;
        if (elapsed >= Reply_Timeout_Ms) {
            break;
        }
    }
    awaiting_reply_ = false;
    return end;
}

RS232_Link::Wait_End RS232_Link::Await_Owed_Replies(std::uint8_t command, std::size_t owed,
                                                    const Step_Rules& rules) {
    Begin_Wait();
    const std::uint32_t start = clock_.timeGetTime();
    std::uint32_t quiet_since = start;
    std::size_t seen = 0;
    std::size_t heard = 0;
    Wait_End end = Wait_End::Done;
    for (;;) {
        // Unsigned subtraction gives the true intervals across a wrap of the 32-bit clock.
        const std::uint32_t now = clock_.timeGetTime();
        const std::uint32_t settled_in =
            std::max(Time_Left(now - quiet_since, Owed_Reply_Quiet_Ms),
                     Time_Left(now - request_sent_at_, Owed_Reply_Allowance_Ms));
        ws_.Yield(std::max<std::uint32_t>(
            std::min(settled_in, Time_Left(now - start, Owed_Reply_Limit_Ms)), 1));
        end = Interruption(rules.Polls_Stop);
        if (end != Wait_End::Done) {
            break;
        }
        const std::uint32_t after = clock_.timeGetTime();
        // Any byte, stray ones too, shows the line is not settled yet.
        if (received_ != seen) {
            seen = received_;
            quiet_since = after;
        }
        const std::size_t before = data_.Rx_Buffer.size();
        const std::size_t replies =
            Take_Valid_Replies(data_.Rx_Buffer, command, rules.Reply_Length);
        heard += replies;
        stats_.Discarded_Bytes += before - data_.Rx_Buffer.size() - replies * rules.Reply_Length;
        data_.Rx_Count = static_cast<std::uint8_t>(data_.Rx_Buffer.size());
        if (heard >= owed || (after - quiet_since >= Owed_Reply_Quiet_Ms &&
                              after - request_sent_at_ >= Owed_Reply_Allowance_Ms)) {
            break;
        }
        // A line that does not settle could still be carrying an owed reply, which the next
        // block would take for its own.
        if (after - start >= Owed_Reply_Limit_Ms) {
            end = Wait_End::Unsettled;
            break;
        }
    }
    awaiting_reply_ = false;
    stats_.Late_Replies += static_cast<int>(std::min(heard, owed));
    return end;
}

void RS232_Link::Report_Failure(const char* failure_text) {
    ws_.Message_Box(std::string(Link_Failure_First_Line) + CR_LF + failure_text, Title_Error_RS232,
                    Message_Icon::Critical);
}
