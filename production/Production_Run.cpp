#include "Production_Run.h"

#include <chrono>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// The events of every unit's thread, in order, with a pipe that wakes the sleeping reader.
class Event_Queue {
  public:
    Event_Queue() {
        if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
            wake_[0] = wake_[1] = -1;
        }
    }
    ~Event_Queue() {
        for (const int fd : wake_) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    Event_Queue(const Event_Queue&) = delete;
    Event_Queue& operator=(const Event_Queue&) = delete;

    bool Ready() const { return wake_[0] >= 0; }
    int Wake_Fd() const { return wake_[0]; }

    void Push(Unit_Event event) {
        const std::lock_guard lock(mutex_);
        if (events_.empty()) {
            const char byte = 1;
            [[maybe_unused]] const auto written = ::write(wake_[1], &byte, 1);
        }
        events_.push_back(std::move(event));
    }

    std::deque<Unit_Event> Take() {
        const std::lock_guard lock(mutex_);
        char bytes[64];
        while (::read(wake_[0], bytes, sizeof bytes) > 0) {
        }
        return std::exchange(events_, {});
    }

  private:
    int wake_[2] = {-1, -1};
    std::mutex mutex_;
    std::deque<Unit_Event> events_;
};

class Queue_Reporter : public Unit_Reporter {
  public:
    Queue_Reporter(Event_Queue& queue, std::size_t unit) : queue_(queue), unit_(unit) {}
    void Report(Unit_Event event) override {
        event.Unit = unit_;
        queue_.Push(std::move(event));
    }

  private:
    Event_Queue& queue_;
    std::size_t unit_;
};

// The interrupt reaches the thread that waits for it, not a unit's thread in the middle of a
// wait of its own.
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

std::vector<Unit_Result> Run_Units(const std::vector<std::unique_ptr<Unit_Job>>& jobs,
                                   int interrupt_fd,
                                   const std::function<void(const Unit_Event&)>& on_event) {
    std::vector<Unit_Result> results(jobs.size());
    Event_Queue queue;
    if (!queue.Ready()) {
        return results;
    }
    std::vector<Queue_Reporter> reporters;
    reporters.reserve(jobs.size());
    std::vector<std::thread> threads;
    {
        const Signals_Blocked blocked;
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            reporters.emplace_back(queue, i);
            threads.emplace_back([&jobs, &results, &reporters, i] {
                const auto start = std::chrono::steady_clock::now();
                Unit_Result result = jobs[i]->Run(reporters[i]);
                result.Seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                results[i] = result;
                Unit_Event ended;
                ended.What = Unit_Event::Kind::Ended;
                ended.Phase = Unit_Phase::Ended;
                ended.Blocks = result.Blocks;
                ended.Retries = result.Retries;
                ended.Result = result;
                reporters[i].Report(std::move(ended));
            });
        }
    }
    std::size_t running = jobs.size();
    bool stopping = false;
    while (running > 0) {
        pollfd waits[2] = {{queue.Wake_Fd(), POLLIN, 0}, {stopping ? -1 : interrupt_fd, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            continue;
        }
        if (waits[1].revents != 0) {
            stopping = true;
            for (const auto& job : jobs) {
                job->Stop();
            }
        }
        for (const Unit_Event& event : queue.Take()) {
            running -= event.What == Unit_Event::Kind::Ended ? 1 : 0;
            on_event(event);
        }
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    return results;
}
