#include "Sim_Unit.h"

#include <cstdio>

namespace {

// The unit's side keeps its own copy of the protocol's numbers rather than the PC's headers, so
// that a wrong constant on the PC side shows up as a unit that does not answer.
constexpr std::uint8_t Find_Byte = 0x87;
constexpr std::uint8_t Write_Byte = 0x04;
constexpr std::uint8_t Reset_Byte = 0xFE;
constexpr std::uint8_t Write_Payload = 0x84;
constexpr std::size_t Block_Bytes = 128;
// Status byte and identity of the simulated unit ("VSIM").
constexpr std::uint8_t Status = 0x00;
constexpr std::uint8_t Identity[4] = {0x56, 0x53, 0x49, 0x4D};

std::uint8_t Byte(std::string_view bytes, std::size_t index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

char Checksum_Over(std::string_view bytes) {
    unsigned sum = 0;
    for (char c : bytes) {
        sum += static_cast<std::uint8_t>(c);
    }
    return static_cast<char>(0xFF - (sum & 0xFF));
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

} // namespace

Sim_Unit::Sim_Unit(const Sim_Options& options, std::vector<std::uint8_t> eeprom, std::ostream* log)
    : options_(options), eeprom_(std::move(eeprom)), log_(log),
      random_(options.Random_Faults ? options.Random_Faults->Seed : 0) {
    eeprom_.resize(Sim_EEPROM_Size, 0x00);
}

Sim_Unit::Random_Fault Sim_Unit::Draw_Fault(Sim_Command command) {
    if (lose_next_.erase(command) > 0) {
        return Random_Fault::Lost;
    }
    if (!options_.Random_Faults ||
        static_cast<int>(random_() % 100) >= options_.Random_Faults->Percent) {
        return Random_Fault::None;
    }
    const auto fault = static_cast<Random_Fault>(1 + random_() % 7);
    if (fault == Random_Fault::Lost_Twice) {
        lose_next_.insert(command);
    }
    return fault;
}

void Sim_Unit::Drop_Byte(const std::string& reason) {
    if (dropped_ == 0) {
        drop_reason_ = reason;
    }
    ++dropped_;
    ++head_;
}

void Sim_Unit::Report_Dropped() {
    if (dropped_ > 0 && log_ != nullptr) {
        *log_ << "module-sim: bad request (" << drop_reason_ << "), " << dropped_
              << " byte(s) dropped, no reply\n"
              << std::flush;
    }
    dropped_ = 0;
}

std::vector<Sim_Answer> Sim_Unit::Receive(std::string_view bytes, Sim_Clock::time_point now) {
    pending_.append(bytes);
    arrival_.insert(arrival_.end(), bytes.size(), now);
    if (!bytes.empty()) {
        last_byte_ = now;
    }
    std::vector<Sim_Answer> answers;
    while (head_ < pending_.size()) {
        const std::string_view rest = std::string_view(pending_).substr(head_);
        const std::uint8_t command = Byte(rest, 0);
        std::size_t payload = 0;
        if (command == Write_Byte) {
            payload = Write_Payload;
        } else if (command != Find_Byte && command != Reset_Byte) {
            Drop_Byte("unknown command " + Hex(command, 2));
            continue;
        }
        if (rest.size() < 2) {
            break;
        }
        if (Byte(rest, 1) != payload) {
            Drop_Byte("length " + Hex(Byte(rest, 1), 2) + " after command " + Hex(command, 2));
            continue;
        }
        const std::size_t length = payload + 3;
        if (rest.size() < length) {
            break;
        }
        const std::string_view frame = rest.substr(0, length);
        if (Checksum_Over(frame.substr(0, length - 1)) != frame[length - 1]) {
            Drop_Byte("checksum " + Hex(Byte(frame, length - 1), 2) + " after command " +
                      Hex(command, 2));
            continue;
        }
        Report_Dropped();
        answers.push_back(Handle(frame, arrival_[head_]));
        head_ += length;
    }
    if (dropped_ > 0 && head_ == pending_.size()) {
        Report_Dropped();
    }
    if (head_ > 0) {
        pending_.erase(0, head_);
        arrival_.erase(arrival_.begin(), arrival_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
    return answers;
}

std::optional<Sim_Clock::time_point> Sim_Unit::Idle_Deadline() const {
    if (pending_.empty()) {
        return std::nullopt;
    }
    return last_byte_ + Idle_Gap;
}

void Sim_Unit::Idle(Sim_Clock::time_point now) {
    const auto deadline = Idle_Deadline();
    if (!deadline || now < *deadline) {
        return;
    }
    if (log_ != nullptr) {
        *log_ << "module-sim: partial request of " << pending_.size()
              << " byte(s) dropped after a pause\n"
              << std::flush;
    }
    pending_.clear();
    arrival_.clear();
}

bool Sim_Unit::Fault_Applies(const std::vector<Sim_Reply_Fault>& faults, Sim_Command command,
                             int count) const {
    for (const auto& fault : faults) {
        if (fault.Command == command && (fault.Nth == 0 || fault.Nth == count)) {
            return true;
        }
    }
    return false;
}

Sim_Answer Sim_Unit::Handle(std::string_view frame, Sim_Clock::time_point first_byte) {
    Sim_Answer answer;
    answer.Request_Length = frame.size();
    answer.First_Byte = first_byte;
    const std::uint8_t command = Byte(frame, 0);
    answer.Command = command == Find_Byte    ? Sim_Command::Find
                     : command == Write_Byte ? Sim_Command::Write
                                             : Sim_Command::Reset;
    const int count = ++counts_[answer.Command];

    bool silent = options_.Mute.count(answer.Command) > 0;
    if (const auto from = options_.Answer_From.find(answer.Command);
        from != options_.Answer_From.end() && count < from->second) {
        silent = true;
    }
    std::string what = Command_Name(answer.Command) + " #" + std::to_string(count);
    const Random_Fault drawn = Draw_Fault(answer.Command);
    if (drawn == Random_Fault::Lost || drawn == Random_Fault::Lost_Twice) {
        if (log_ != nullptr) {
            *log_ << "module-sim: " << what << ": lost on the line (random), no reply\n"
                  << std::flush;
        }
        return answer;
    }
    std::string reply;
    if (answer.Command == Sim_Command::Find) {
        reply = {static_cast<char>(Find_Byte), static_cast<char>(Status)};
        reply.append(reinterpret_cast<const char*>(Identity), sizeof Identity);
    } else if (answer.Command == Sim_Command::Reset) {
        reply = {static_cast<char>(Reset_Byte), static_cast<char>(Status)};
        answer.Reset = true;
    } else {
        reply = {static_cast<char>(Write_Byte), static_cast<char>(Status)};
        const std::uint32_t address = (std::uint32_t{Byte(frame, 2)} << 24) |
                                      (std::uint32_t{Byte(frame, 3)} << 16) |
                                      (std::uint32_t{Byte(frame, 4)} << 8) | Byte(frame, 5);
        what += " at " + Hex(address, 4);
        const bool aligned = address % Block_Bytes == 0;
        const long block = static_cast<long>(address / Block_Bytes);
        if (aligned) {
            what += " (block " + std::to_string(block) + ")";
        }
        if (std::uint64_t{address} + Block_Bytes > Sim_EEPROM_Size) {
            if (log_ != nullptr) {
                *log_ << "module-sim: " << what << ": address beyond the EEPROM, no reply\n"
                      << std::flush;
            }
            return answer;
        }
        const int heard = aligned ? ++block_writes_[block] : 0;
        if (heard == 1 && options_.Lose_Blocks.count(block) > 0) {
            if (log_ != nullptr) {
                *log_ << "module-sim: " << what << ": lost on the line, no reply\n" << std::flush;
            }
            return answer;
        }
        if (aligned && options_.Never_Ack_Blocks.count(block) > 0) {
            silent = true;
        }
        if (const auto late = options_.Late_Ack_Ms.find(block);
            heard == 1 && late != options_.Late_Ack_Ms.end()) {
            answer.Late_Ms = late->second;
            what += ", " + std::to_string(late->second) + " ms late";
        }
        if (const auto held = options_.Held_Ack_Ms.find(block);
            heard == 1 && held != options_.Held_Ack_Ms.end()) {
            answer.Late_Ms = held->second;
            answer.Held = true;
            what += ", held up " + std::to_string(held->second) + " ms";
        }
        if (!silent) {
            for (std::size_t i = 0; i < Block_Bytes; ++i) {
                eeprom_[address + i] = Byte(frame, 6 + i);
            }
            answer.Block_Written = true;
            answer.Close_After = aligned && options_.Close_After_Block == block;
        }
    }
    if (Fault_Applies(options_.Wrong_Echo, answer.Command, count)) {
        reply[0] = static_cast<char>(static_cast<std::uint8_t>(reply[0] + 1));
        what += ", wrong echo";
    }
    reply += Checksum_Over(reply);
    if (Fault_Applies(options_.Bad_Checksum, answer.Command, count)) {
        reply.back() = static_cast<char>(static_cast<std::uint8_t>(reply.back() - 1));
        what += ", bad checksum";
    }
    for (const auto& stray : options_.Strays) {
        if (stray.Command == answer.Command && stray.Nth == count) {
            answer.Stray += stray.Bytes;
            answer.Stray_Gap_Ms = stray.Gap_Ms;
            what += ", then " + std::to_string(stray.Bytes.size()) + " stray byte(s)";
        }
    }
    switch (drawn) {
    case Random_Fault::Held:
        answer.Late_Ms = 3000 + static_cast<int>(random_() % 2500);
        answer.Held = true;
        what += ", held up " + std::to_string(answer.Late_Ms) + " ms (random)";
        break;
    case Random_Fault::Bad_Checksum:
        reply.back() = static_cast<char>(static_cast<std::uint8_t>(reply.back() ^ 0x5A));
        what += ", bad checksum (random)";
        break;
    case Random_Fault::Short:
        reply.pop_back();
        what += ", short (random)";
        break;
    case Random_Fault::Split:
        answer.Split = true;
        what += ", split (random)";
        break;
    case Random_Fault::Stray:
        // Stray bytes that start like a reply are the ones a PC could mistake for one.
        answer.Stray = {random_() % 2 == 0 ? reply[0] : static_cast<char>(0x5A),
                        static_cast<char>(random_()), static_cast<char>(random_())};
        answer.Stray_Gap_Ms = static_cast<int>(random_() % 6);
        what += ", then 3 stray bytes (random)";
        break;
    default:
        break;
    }
    if (silent) {
        what += ", no reply";
    } else {
        answer.Reply = reply;
    }
    if (log_ != nullptr) {
        *log_ << "module-sim: " << what << "\n" << std::flush;
    }
    return answer;
}
