#include "Unit_Threads.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>
#include <utility>

namespace {

// The interrupt reaches the thread that waits for it, not a unit's thread in the middle of a
// wait of its own: a new thread takes the mask of the thread that starts it.
class Signals_Blocked {
  public:
    Signals_Blocked() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &set, &previous_);
    }
    ~Signals_Blocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    Signals_Blocked(const Signals_Blocked&) = delete;
    Signals_Blocked& operator=(const Signals_Blocked&) = delete;

  private:
    sigset_t previous_;
};

} // namespace

Unit_Threads::Unit_Threads() {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        wake_[0] = wake_[1] = -1;
    }
}

Unit_Threads::~Unit_Threads() {
    Stop_All();
    for (auto& [unit, running] : running_) {
        running.Thread.join();
    }
    for (const int fd : wake_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void Unit_Threads::Start(std::size_t unit, Unit_Job& job) {
    Running_Unit& running = running_[unit];
    running.Job = &job;
    running.Events = std::make_unique<Reporter>(*this, unit);
    const Signals_Blocked blocked;
    running.Thread = std::thread([&job, &reporter = *running.Events] {
        const auto start = std::chrono::steady_clock::now();
        Unit_Result result = job.Run(reporter);
        result.Seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        Unit_Event ended;
        ended.What = Unit_Event::Kind::Ended;
        ended.Phase = Unit_Phase::Ended;
        ended.Blocks = result.Blocks;
        ended.Retries = result.Retries;
        ended.Result = result;
        reporter.Report(std::move(ended));
    });
}

std::deque<Unit_Event> Unit_Threads::Take() {
    std::deque<Unit_Event> events;
    {
        const std::lock_guard lock(mutex_);
        char bytes[64];
        while (::read(wake_[0], bytes, sizeof bytes) > 0) {
        }
        events = std::exchange(events_, {});
    }
    for (const Unit_Event& event : events) {
        if (event.What == Unit_Event::Kind::Ended) {
            // Its Ended is the thread's last act.
            if (const auto ended = running_.find(event.Unit); ended != running_.end()) {
                ended->second.Thread.join();
                running_.erase(ended);
            }
        }
    }
    return events;
}

void Unit_Threads::Stop_All() {
    for (auto& [unit, running] : running_) {
        running.Job->Stop();
    }
}

void Unit_Threads::Push(Unit_Event event) {
    const std::lock_guard lock(mutex_);
    if (events_.empty()) {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(wake_[1], &byte, 1);
    }
    events_.push_back(std::move(event));
}

void Unit_Threads::Reporter::Report(Unit_Event event) {
    event.Unit = unit_;
    owner_.Push(std::move(event));
}
