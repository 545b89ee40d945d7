// Several units at once against one: module-sim units at line rate with an EEPROM write time,
// programmed by vantrel-cli first one alone, then eight at once, in one run. Prints the wall-time
// ratio (eight against one) and the CPU share of one core that vantrel-cli used while its units
// were busy.
#include "Child_Process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sys/resource.h>

using namespace std::chrono_literals;

namespace {

constexpr int Units = 8;

double Children_Cpu_Seconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Figures {
    double Wall = 0;
    double Cpu = 0;
};

// Runs vantrel-cli program on `ports` with the image; exits when it fails.
Figures Program(const std::vector<std::string>& ports, const std::string& image) {
    std::vector<std::string> args{"program", "--image", image};
    for (const std::string& port : ports) {
        args.insert(args.end(), {"--port", port});
    }
    const double cpu = Children_Cpu_Seconds();
    const auto start = std::chrono::steady_clock::now();
    Child_Process cli(VANTREL_CLI_PATH, args);
    if (const int status = cli.Wait(120s); status != 0) {
        std::cerr << "vantrel-cli exited with " << status << ":\n" << cli.Err();
        std::exit(1);
    }
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            Children_Cpu_Seconds() - cpu};
}

} // namespace

int main() {
    const Temp_Folder folder("production_bench");
    // Only this run's units in the port list.
    setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1);
    std::string image(65536, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<char>(i * 31 + (i >> 9));
    }
    Write_File(folder / "image.bin", image);

    std::vector<std::unique_ptr<Simulated_Unit>> units;
    std::vector<std::string> ports;
    for (int i = 0; i < Units; ++i) {
        units.push_back(std::make_unique<Simulated_Unit>(
            std::vector<std::string>{"--line-rate", "--write-time", "5"}));
        ports.push_back(units.back()->Device);
    }
    const Figures one = Program({ports.front()}, folder / "image.bin");
    const Figures all = Program(ports, folder / "image.bin");

    std::printf("one unit:    %.2f s wall, %.3f s CPU (%.1f%% of a core)\n", one.Wall, one.Cpu,
                100 * one.Cpu / one.Wall);
    std::printf("%d units:     %.2f s wall, %.3f s CPU (%.1f%% of a core)\n", Units, all.Wall,
                all.Cpu, 100 * all.Cpu / all.Wall);
    std::printf("wall ratio %d units / one unit: %.3f (target <= 1.10)\n", Units,
                all.Wall / one.Wall);
    std::printf("CPU share with %d units: %.1f%% of one core (target <= 10%%)\n", Units,
                100 * all.Cpu / all.Wall);
    return 0;
}
