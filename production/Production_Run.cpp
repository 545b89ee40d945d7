#include "Production_Run.h"

#include "Unit_Threads.h"

#include <poll.h>

std::vector<Unit_Result> Run_Units(const std::vector<std::unique_ptr<Unit_Job>>& jobs,
                                   int interrupt_fd,
                                   const std::function<void(const Unit_Event&)>& on_event) {
    std::vector<Unit_Result> results(jobs.size());
    Unit_Threads threads;
    if (!threads.Ready()) {
        return results;
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        threads.Start(i, *jobs[i]);
    }
    std::size_t running = jobs.size();
    bool stopping = false;
    while (running > 0) {
        pollfd waits[2] = {{threads.Wake_Fd(), POLLIN, 0},
                           {stopping ? -1 : interrupt_fd, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            continue;
        }
        if (waits[1].revents != 0) {
            stopping = true;
            threads.Stop_All();
        }
        for (const Unit_Event& event : threads.Take()) {
            if (event.What == Unit_Event::Kind::Ended) {
                --running;
                results[event.Unit] = event.Result;
            }
            on_event(event);
        }
    }
    return results;
}
