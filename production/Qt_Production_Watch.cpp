#include "Qt_Production_Watch.h"

#include "Port_Number.h"
#include "Posix_Port_Registration.h"
#include "Qt_Port_List.h"
#include "Qt_Serial_Control.h"
#include "Qt_Unit_Job.h"

#include <QDir>

#include <cstdlib>
#include <iterator>
#include <unistd.h>
#include <utility>

namespace {

// The notifications carry the news; the polls only catch what no notification tells: a
// simulated unit killed without unregistering (its registration is cheap to read again), a
// system whose /dev gives no notifications (its device listing takes tens of milliseconds).
constexpr int Registrations_Poll_Ms = 2000;
constexpr int Devices_Poll_Ms = 10000;
// The system names a new adapter's device before it has told all about it (its USB details,
// its by-id link): listings a little later see the rest.
constexpr int Settle_Ms[] = {500, 1500};

constexpr const char* Devices_Folder = "/dev";

// Where simulated units register (Register_Simulated_Port makes the folder under
// XDG_RUNTIME_DIR when it can), or, while that folder does not exist, the folder it will be made
// in; and the folder the port list reads now, which may be the fallback under /tmp.
QStringList Registration_Watch_Paths() {
    QStringList paths;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0' && ::access(runtime, W_OK | X_OK) == 0) {
        const QString folder = QString::fromLocal8Bit(runtime);
        const QString registrations = folder + QStringLiteral("/vantrel-ports");
        paths << (QDir(registrations).exists() ? registrations : folder);
    } else {
        paths << QStringLiteral("/tmp");
    }
    if (const std::string listed = Registration_Folder(false); !listed.empty()) {
        paths << QString::fromStdString(listed);
    }
    paths.removeDuplicates();
    return paths;
}

} // namespace

Qt_Production_Watch::Qt_Production_Watch(const Production_Options& options,
                                         const std::vector<std::uint8_t>& image,
                                         std::string image_sha256, Watch_Output& output)
    : options_(options), image_(image),
      watch_(options, std::move(image_sha256),
             Watch_Machine{[this] { return Number_Ports(devices_, Registered_Ports()); },
                           [this] {
                               return std::make_unique<Serial_Probe_Line>(
                                   std::make_unique<Qt_Serial_Control>(),
                                   [this] { step_.start(0); });
                           },
                           [this](std::size_t unit, const Port_Entry& port) {
                               auto& job = jobs_[unit] =
                                   std::make_unique<Qt_Unit_Job>(port, image_, options_.Oled);
                               threads_.Start(unit, *job);
                           },
                           [this] { threads_.Stop_All(); }},
             output, clock_) {
    step_.setSingleShot(true);
    settle_.setSingleShot(true);
    registrations_poll_.setInterval(Registrations_Poll_Ms);
    devices_poll_.setInterval(Devices_Poll_Ms);
    QObject::connect(&step_, &QTimer::timeout, [this] {
        watch_.Step();
        Rearm();
    });
    QObject::connect(&registrations_poll_, &QTimer::timeout, [this] { Ports_Changed(false); });
    QObject::connect(&devices_poll_, &QTimer::timeout, [this] { Ports_Changed(true); });
    QObject::connect(&settle_, &QTimer::timeout, [this] {
        if (settled_ < std::size(Settle_Ms)) {
            settle_.start(Settle_Ms[settled_++]);
        }
        Ports_Changed(true);
    });
    QObject::connect(&folders_, &QFileSystemWatcher::directoryChanged, [this](const QString& path) {
        const bool devices = path == QLatin1String(Devices_Folder);
        if (devices) {
            settled_ = 1;
            settle_.start(Settle_Ms[0]);
        } else {
            Watch_Folders();
        }
        Ports_Changed(devices);
    });
}

bool Qt_Production_Watch::Start(std::function<void()> ended) {
    if (!threads_.Ready()) {
        return false;
    }
    ended_ = std::move(ended);
    events_ = std::make_unique<QSocketNotifier>(threads_.Wake_Fd(), QSocketNotifier::Read);
    QObject::connect(events_.get(), &QSocketNotifier::activated, [this] { Take_Events(); });
    Watch_Folders();
    registrations_poll_.start();
    devices_poll_.start();
    Ports_Changed(true);
    return true;
}

void Qt_Production_Watch::Stop() {
    watch_.Stop();
    Rearm();
}

void Qt_Production_Watch::Watch_Folders() {
    const QStringList wanted =
        QStringList{QLatin1String(Devices_Folder)} + Registration_Watch_Paths();
    const QStringList watched = folders_.directories();
    for (const QString& folder : watched) {
        if (!wanted.contains(folder)) {
            folders_.removePath(folder);
        }
    }
    for (const QString& folder : wanted) {
        if (!watched.contains(folder) && QDir(folder).exists()) {
            folders_.addPath(folder);
        }
    }
}

void Qt_Production_Watch::Ports_Changed(bool devices) {
    if (devices) {
        devices_ = List_Ports();
        std::erase_if(devices_, [](const Port_Entry& port) { return port.Simulated_Pid != 0; });
    }
    watch_.Ports_Changed();
    Rearm();
}

void Qt_Production_Watch::Take_Events() {
    for (const Unit_Event& event : threads_.Take()) {
        watch_.Unit_Changed(event);
        if (event.What == Unit_Event::Kind::Ended) {
            jobs_.erase(event.Unit);
        }
    }
    // An ended unit's port is probed again at once.
    watch_.Step();
    Rearm();
}

void Qt_Production_Watch::Rearm() {
    if (watch_.Ended()) {
        step_.stop();
        registrations_poll_.stop();
        devices_poll_.stop();
        settle_.stop();
        if (ended_) {
            std::exchange(ended_, nullptr)();
        }
        return;
    }
    if (const auto next = watch_.Next_Step()) {
        step_.start(static_cast<int>(*next));
    } else {
        step_.stop();
    }
}
