#include "Cli_Program.h"

#include "Cli_Options.h"
#include "EEPROM_Image_File.h"
#include "Port_Number.h"
#include "Programming_Sequence.h"
#include "Qt_Console_Window_System.h"
#include "Qt_Serial_Control.h"
#include "Steady_Clock.h"
#include "Terminal_View.h"
#include "mod_RS232.h"

#include <QSocketNotifier>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <unistd.h>

namespace {

// Exit statuses of a programming run, beyond the common ones.
constexpr int Exit_Module_Not_Found = 3;
constexpr int Exit_Write_Failed = 4;
constexpr int Exit_Stopped = 5;
constexpr int Exit_Reset_Not_Acknowledged = 6;

struct Program_Options {
    Compile_Options Compile;
    std::string Port;
    std::string Image;
    bool Verbose = false;
};

int Parse(const Cli_Arguments& args, Program_Options& options) {
    std::string error;
    bool compile_options = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Option_Result result = Parse_Compile_Option(args, i, options.Compile, error);
        if (result == Option_Result::Error) {
            return Usage_Error(error);
        }
        if (result == Option_Result::Taken) {
            compile_options = compile_options || args[i] != "--oled";
            continue;
        }
        const bool has_value = i + 1 < args.size();
        if (args[i] == "--port" && has_value) {
            options.Port = args[++i];
        } else if (args[i] == "--image" && has_value) {
            options.Image = args[++i];
        } else if (args[i] == "--verbose") {
            options.Verbose = true;
        } else if (args[i] == "--port" || args[i] == "--image") {
            return Usage_Error(args[i] + " needs a value");
        } else {
            return Usage_Error("unexpected argument '" + args[i] + "'");
        }
    }
    if (options.Port.empty()) {
        return Usage_Error("no port: --port PORT is required");
    }
    if (!options.Image.empty() && compile_options) {
        return Usage_Error("--image sends a ready image and takes no compile options");
    }
    if (const int status = Read_Configuration_Option(options.Compile); status != Exit_Ok) {
        return status;
    }
    if (!Check_Compile_Options(options.Compile, error)) {
        return Usage_Error(error);
    }
    return Exit_Ok;
}

// "/dev/ttyUSB0" names a device; "3", "COM3" and "COM 3" name a port number.
bool Select_Port(const std::string& text, Serial_Control& port) {
    if (text.find('/') != std::string::npos) {
        port.Set_Port_Device(text);
        return true;
    }
    const bool digits_only = text.find_first_not_of("0123456789") == std::string::npos;
    const bool com_prefix = text.size() > 3 && (text[0] == 'C' || text[0] == 'c') &&
                            (text[1] == 'O' || text[1] == 'o') &&
                            (text[2] == 'M' || text[2] == 'm');
    if (!digits_only && !com_prefix) {
        return false;
    }
    const auto number = Port_Number_From_Text(digits_only ? "COM" + text : text);
    if (!number) {
        return false;
    }
    port.Set_CommPort(*number);
    return true;
}

// Ctrl-C acts as the Stop button for every step: the handler only wakes the event loop, which
// then asks the link to end its step.
int Interrupt_Pipe[2] = {-1, -1};

extern "C" void On_Interrupt(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = write(Interrupt_Pipe[1], &byte, 1);
}

class Interrupt_Guard {
  public:
    explicit Interrupt_Guard(RS232_Link& link, Program_Data& data) {
        if (pipe(Interrupt_Pipe) != 0) {
            return;
        }
        notifier_ = std::make_unique<QSocketNotifier>(Interrupt_Pipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [&link, &data] {
            char byte = 0;
            [[maybe_unused]] const auto got = read(Interrupt_Pipe[0], &byte, 1);
            data.Stop_Request = true;
            link.Request_Abort();
        });
        std::signal(SIGINT, On_Interrupt);
        std::signal(SIGTERM, On_Interrupt);
    }
    ~Interrupt_Guard() {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        notifier_.reset();
        for (int& fd : Interrupt_Pipe) {
            if (fd >= 0) {
                close(fd);
                fd = -1;
            }
        }
    }
    Interrupt_Guard(const Interrupt_Guard&) = delete;
    Interrupt_Guard& operator=(const Interrupt_Guard&) = delete;

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

int Exit_Status(Run_Outcome outcome) {
    switch (outcome) {
    case Run_Outcome::Written:
        return Exit_Ok;
    case Run_Outcome::Compile_Failed:
        return Exit_Failed;
    case Run_Outcome::Module_Not_Found:
        return Exit_Module_Not_Found;
    case Run_Outcome::Write_Failed:
        return Exit_Write_Failed;
    case Run_Outcome::Stopped:
    case Run_Outcome::Busy:
        return Exit_Stopped;
    case Run_Outcome::Reset_Not_Acknowledged:
        return Exit_Reset_Not_Acknowledged;
    }
    return Exit_Failed;
}

const char* Outcome_Text(Run_Outcome outcome) {
    switch (outcome) {
    case Run_Outcome::Written:
        return "written and reset";
    case Run_Outcome::Compile_Failed:
        return "compile failed, nothing sent";
    case Run_Outcome::Module_Not_Found:
        return "unit not found, nothing written";
    case Run_Outcome::Write_Failed:
        return "write failed";
    case Run_Outcome::Stopped:
    case Run_Outcome::Busy:
        return "stopped";
    case Run_Outcome::Reset_Not_Acknowledged:
        return "written, reset not acknowledged";
    }
    return "";
}

void Print_Summary(Run_Outcome outcome, const Link_Statistics& stats, double seconds) {
    const int blocks = stats.Blocks_Written;
    const double rate = seconds > 0 ? blocks * double(Block_Size) / seconds : 0.0;
    std::cerr << std::fixed << std::setprecision(3) << Outcome_Text(outcome) << ": " << blocks
              << " blocks, " << stats.Retries << " retries, " << seconds << " s, "
              << std::setprecision(0) << rate << " bytes/s\n";
}

} // namespace

int Run_Program(const Cli_Arguments& args) {
    Program_Options options;
    if (const int status = Parse(args, options); status != Exit_Ok) {
        return status;
    }
    // A ready image must be exactly the EEPROM's size; anything else is refused before any
    // traffic.
    std::vector<std::uint8_t> ready_image;
    if (std::string error;
        !options.Image.empty() && !Read_EEPROM_Image(options.Image, ready_image, error)) {
        std::cerr << "vantrel-cli: " << error << "\n";
        return Exit_Usage;
    }

    Qt_Console_Window_System ws(std::cerr);
    No_Picture_Boxes boxes;
    Program_Data data(Program_For(options.Compile));
    if (options.Image.empty()) {
        if (const int status = Fill_Program_Data(options.Compile, data, ws, boxes);
            status != Exit_Ok) {
            return status;
        }
    }

    Qt_Serial_Control port;
    if (!Select_Port(options.Port, port)) {
        return Usage_Error("'" + options.Port + "' is not a port: give a device path or a number");
    }
    if (!port.Set_PortOpen(true) || !port.Set_Settings(Line_Settings)) {
        std::cerr << "vantrel-cli: cannot open the port: " << port.Last_Error() << "\n";
        port.Set_PortOpen(false);
        return Exit_Module_Not_Found;
    }

    Steady_Clock clock;
    Terminal_View view(std::cerr, isatty(STDERR_FILENO) != 0, options.Verbose);
    RS232_Link link(data, port, ws, clock, view);
    Programming_Sequence sequence(data, link, ws, view);
    if (!ready_image.empty()) {
        sequence.Set_Compile_Step([&ready_image](Program_Data& d, Window_System&) {
            d.EEPROM_Image = ready_image;
            return true;
        });
    }

    std::cerr << "Programming the unit on " << port.Device() << "\n";
    const auto start = std::chrono::steady_clock::now();
    Run_Outcome outcome;
    {
        Interrupt_Guard interrupt(link, data);
        outcome = sequence.Run();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    view.Finish_Progress();
    port.Set_PortOpen(false);

    Print_Summary(outcome, link.Statistics(), seconds);
    return Exit_Status(outcome);
}
