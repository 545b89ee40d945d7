#include "Cli_Interrupt.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int Interrupt_Pipe[2] = {-1, -1};

extern "C" void On_Interrupt(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = write(Interrupt_Pipe[1], &byte, 1);
}

} // namespace

Interrupt_Watch::Interrupt_Watch() {
    if (pipe2(Interrupt_Pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        std::signal(SIGINT, On_Interrupt);
        std::signal(SIGTERM, On_Interrupt);
    }
}

Interrupt_Watch::~Interrupt_Watch() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    for (int& fd : Interrupt_Pipe) {
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }
}

int Interrupt_Watch::Fd() const {
    return Interrupt_Pipe[0];
}

void Interrupt_Watch::Clear() {
    char bytes[16];
    while (read(Interrupt_Pipe[0], bytes, sizeof bytes) > 0) {
    }
}
