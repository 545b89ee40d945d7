#pragma once

#include "File_Dialog.h"
#include "Serial_Control.h"
#include "mod_RS232.h"

#include <QFile>
#include <QObject>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Answers the dialog from a script and records how it was asked.
class Scripted_File_Dialog : public File_Dialog {
  public:
    std::deque<std::optional<std::string>> Answers;
    std::vector<std::pair<std::string, int>> Calls; // filter, preselected filter

    std::optional<std::string> Show_Open(const std::string& filter, int filter_index) override {
        Calls.emplace_back(filter, filter_index);
        if (Answers.empty()) {
            return std::nullopt;
        }
        auto answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};

// A serial control over numbered ports that exist (Present) and may be held by another program
// (In_Use). With Unit_Answers on, a display unit answers every request; the answer arrives at
// the next Deliver(), which a test calls from inside the window system's yield.
class Fake_Serial_Control : public Serial_Control {
  public:
    std::set<int> Present;
    std::set<int> In_Use;
    bool Unit_Answers = true;

    std::vector<int> Opened;            // port numbers, one per successful opening
    std::vector<std::string> Settings;  // every setting applied, in order
    bool Settings_While_Closed = false; // a setting applied to a closed port
    std::vector<std::string> Sent;      // every frame written

    void Set_CommPort(std::int16_t port) override { port_ = port; }
    std::int16_t CommPort() const override { return port_; }
    void Set_Port_Device(const std::string&) override {}

    bool Set_PortOpen(bool open) override {
        if (!open) {
            open_ = false;
            return true;
        }
        if (open_) {
            return true;
        }
        if (!Present.count(port_) || In_Use.count(port_)) {
            last_error_ = "port " + std::to_string(port_) + " cannot be opened";
            return false;
        }
        open_ = true;
        Opened.push_back(port_);
        return true;
    }
    bool PortOpen() const override { return open_; }
    std::string Last_Error() const override { return last_error_; }

    bool Set_Settings(const std::string& settings) override {
        Settings_While_Closed = Settings_While_Closed || !open_;
        Settings.push_back(settings);
        return true;
    }

    void Output(const std::string& bytes) override {
        Sent.push_back(bytes);
        if (Unit_Answers && !bytes.empty()) {
            pending_ += Reply_To(bytes);
        }
    }
    std::string Input() override { return std::exchange(input_, std::string()); }
    std::int16_t CommEvent() const override { return event_; }
    void Set_OnComm(std::function<void()> handler) override { on_comm_ = std::move(handler); }

    void Deliver() {
        if (pending_.empty() || !on_comm_) {
            return;
        }
        input_ += std::exchange(pending_, std::string());
        event_ = comEvReceive;
        on_comm_();
    }

    // The adapter is pulled: the port closes and the control says so.
    void Lose_Port() {
        open_ = false;
        pending_.clear();
        event_ = comEventPortLost;
        if (on_comm_) {
            on_comm_();
        }
    }

    int Count_Sent(std::uint8_t command) const {
        int n = 0;
        for (const auto& frame : Sent) {
            n += static_cast<std::uint8_t>(frame[0]) == command ? 1 : 0;
        }
        return n;
    }

  private:
    static std::string Reply_To(const std::string& request) {
        const auto command = static_cast<std::uint8_t>(request[0]);
        std::string reply{static_cast<char>(command), '\0'};
        if (command == Cmd_Find_Module) {
            reply += "ABCD";
        }
        reply += static_cast<char>(Frame_Checksum(reply));
        return reply;
    }

    std::int16_t port_ = 1;
    bool open_ = false;
    std::string last_error_;
    std::string pending_;
    std::string input_;
    std::int16_t event_ = comEvReceive;
    std::function<void()> on_comm_;
};

// Element `index` of a control array: the controls share the array's name and carry an "index".
template <typename T> T* Element(QObject* root, const char* name, int index) {
    for (T* control : root->findChildren<T*>(QString::fromUtf8(name))) {
        if (control->property("index").toInt() == index) {
            return control;
        }
    }
    return nullptr;
}

// Writes a Windows bitmap of 1-bit pixels (or a header claiming other formats) to `path`; every
// pixel has colour index `fill` (0 or 1).
inline void Write_Bitmap(const QString& path, std::int32_t width, std::int32_t height,
                         int bits_per_pixel = 1, int planes = 1, int fill = 1,
                         std::uint32_t compression = 0) {
    const int stride = ((width * bits_per_pixel + 31) / 32) * 4;
    const int rows = height < 0 ? -height : height;
    const std::uint32_t pixel_bytes = std::uint32_t(stride * rows);
    QByteArray file(62, '\0');
    auto put = [&file](int offset, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            file[offset + i] = char((value >> (8 * i)) & 0xFF);
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, 62 + pixel_bytes, 4);
    put(10, 62, 4);
    put(14, 40, 4);
    put(18, std::uint32_t(width), 4);
    put(22, std::uint32_t(height), 4);
    put(26, std::uint32_t(planes), 2);
    put(28, std::uint32_t(bits_per_pixel), 2);
    put(30, compression, 4);
    put(34, pixel_bytes, 4);
    put(46, 2, 4);
    put(54, 0x000000, 4);
    put(58, 0xFFFFFF, 4);
    file.append(QByteArray(int(pixel_bytes), fill ? char(0xFF) : char(0x00)));
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(file);
}
