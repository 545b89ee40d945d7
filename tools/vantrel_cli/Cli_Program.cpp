#include "Cli_Program.h"

#include "Cli_Interrupt.h"
#include "Cli_Options.h"
#include "Cli_Production.h"
#include "Cli_Watch.h"
#include "EEPROM_Image_File.h"
#include "Port_Choice.h"
#include "Qt_Console_Window_System.h"
#include "Qt_Port_List.h"
#include "Qt_Serial_Control.h"
#include "Steady_Clock.h"
#include "Terminal_View.h"
#include "Unit_Session.h"
#include "Watch_Ports.h"
#include "mod_Compilatore.h"

#include <QSocketNotifier>

#include <cstdio>
#include <iomanip>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace {

struct Program_Options {
    Compile_Options Compile;
    Production_Options Production;
    std::string Image;
    bool Verbose = false;

    // One --port alone keeps the one-unit run and its output; anything more is production.
    bool Production_Mode() const {
        return Production.Ports.size() != 1 || Production.All || Production.Json ||
               !Production.Log.empty() || Production.Repeat || Production.Watch;
    }
};

// Why the other options do not go with --watch, if they do not.
std::optional<std::string> Refuse_With_Watch(const Program_Options& options) {
    if (options.Production.Repeat) {
        return "--watch programs every unit as it comes: --repeat does not go with it";
    }
    if (options.Production.All) {
        return "--watch covers every USB adapter and simulated unit: --all does not go with it";
    }
    if (options.Verbose) {
        return "--verbose shows the traffic of one unit, not of a watch";
    }
    for (const std::string& port : options.Production.Ports) {
        if (Names_Port_Number(port)) {
            return "'" + port +
                   "' is a port number, which another device can hold later: with --watch name "
                   "the device, its by-id link or serial=";
        }
    }
    return std::nullopt;
}

// Returns the exit status when the run ends here: after the help, or when the options are refused.
std::optional<int> Parse(const Cli_Arguments& args, Program_Options& options) {
    QCommandLineParser parser;
    Add_Compile_Options(parser);
    parser.addOptions({
        {QStringLiteral("port"), QStringLiteral("the unit's port; repeatable"),
         QStringLiteral("PORT")},
        {QStringLiteral("image"), QStringLiteral("send a ready 65,536-byte image"),
         QStringLiteral("FILE")},
        {QStringLiteral("verbose"), QStringLiteral("show the traffic of the one unit")},
        {QStringLiteral("all"), QStringLiteral("every USB adapter and simulated unit listed")},
        {QStringLiteral("json"), QStringLiteral("a JSON record per unit and a summary on stdout")},
        {QStringLiteral("log"), QStringLiteral("append the records as CSV"),
         QStringLiteral("FILE")},
        {QStringLiteral("repeat"), QStringLiteral("program again after Enter (q quits)")},
        {QStringLiteral("watch"),
         QStringLiteral("program every unit as it appears (on the --port ports), until Ctrl-C")},
    });
    if (const auto status = Parse_Arguments(parser, args)) {
        return *status;
    }
    std::string error;
    if (!Read_Compile_Options(parser, options.Compile, error)) {
        return Usage_Error(error);
    }
    for (const QString& port : parser.values(QStringLiteral("port"))) {
        options.Production.Ports.push_back(Argument_Bytes(port));
    }
    options.Image = Value(parser, QStringLiteral("image"));
    options.Production.Log = Value(parser, QStringLiteral("log"));
    options.Verbose = parser.isSet(QStringLiteral("verbose"));
    options.Production.All = parser.isSet(QStringLiteral("all"));
    options.Production.Json = parser.isSet(QStringLiteral("json"));
    options.Production.Repeat = parser.isSet(QStringLiteral("repeat"));
    options.Production.Watch = parser.isSet(QStringLiteral("watch"));
    if (options.Production.Watch) {
        if (const auto refused = Refuse_With_Watch(options)) {
            return Usage_Error(*refused);
        }
    } else if (options.Production.Ports.empty() && !options.Production.All) {
        return Usage_Error("no port: --port PORT (or --all, or --watch) is required");
    }
    // Whether the text names a port at all does not depend on which ports are there.
    for (const std::string& port : options.Production.Ports) {
        if (const Port_Choice form = Choose_Port(port, {});
            form.Status == Port_Choice_Status::Not_A_Port) {
            return Usage_Error(form.Reason);
        }
    }
    if (options.Verbose && options.Production_Mode()) {
        return Usage_Error("--verbose shows the traffic of one unit: give one --port alone");
    }
    if (!options.Image.empty() && Compile_Options_Given(parser)) {
        return Usage_Error("--image sends a ready image and takes no compile options");
    }
    if (const int status = Complete_Compile_Options(options.Compile); status != Exit_Ok) {
        return status;
    }
    options.Production.Oled = options.Compile.Oled;
    return std::nullopt;
}

// Compiles (or takes) the image once, in this thread; every unit then gets a copy of it.
int Run_Production_Mode(const Program_Options& options, std::vector<std::uint8_t> image) {
    if (image.empty()) {
        Qt_Console_Window_System ws(std::cerr);
        No_Picture_Boxes boxes;
        Program_Data data(Program_For(options.Compile));
        if (const int status = Fill_Program_Data(options.Compile, data, ws, boxes);
            status != Exit_Ok) {
            return status;
        }
        if (!Compile_Images(data, ws)) {
            return Exit_Failed;
        }
        image = data.EEPROM_Image;
    }
    return options.Production.Watch ? Run_Watch(options.Production, image)
                                    : Run_Production(options.Production, image);
}

std::string Port_Text(const Port_Entry& port) {
    if (port.Number == 0) {
        return port.Device;
    }
    return port.Device + " (COM " + std::to_string(port.Number) + ")";
}

// Ctrl-C acts as the Stop button for every step: the signal only wakes the event loop, which
// then asks the link to end its step.
class Interrupt_Guard {
  public:
    explicit Interrupt_Guard(Unit_Session& session) {
        if (interrupt_.Fd() < 0) {
            return;
        }
        notifier_ = std::make_unique<QSocketNotifier>(interrupt_.Fd(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, &session] {
            interrupt_.Clear();
            session.Abort();
        });
    }

  private:
    Interrupt_Watch interrupt_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

void Print_Summary(const Run_Report& report) {
    const int blocks = report.Blocks_Written;
    const double seconds = report.Seconds;
    const double rate = seconds > 0 ? blocks * double(Block_Size) / seconds : 0.0;
    std::cerr << std::fixed << std::setprecision(3) << Outcome_Text(report.Outcome) << ": "
              << blocks << " blocks, " << report.Retries << " retries, " << seconds << " s, "
              << std::setprecision(0) << rate << " bytes/s";
    // Worth a word only when the line or the unit misbehaved.
    if (report.Late_Replies > 0 || report.Stray_Bytes > 0) {
        std::cerr << "; " << report.Late_Replies << " late replies waited out, "
                  << report.Stray_Bytes << " stray bytes discarded";
    }
    std::cerr << "\n";
}

} // namespace

int Run_Program(const Cli_Arguments& args) {
    Program_Options options;
    if (const auto status = Parse(args, options)) {
        return *status;
    }
    // A ready image must be exactly the EEPROM's size; anything else is refused before any
    // traffic.
    std::vector<std::uint8_t> ready_image;
    if (std::string error;
        !options.Image.empty() && !Read_EEPROM_Image(options.Image, ready_image, error)) {
        std::cerr << "vantrel-cli: " << error << "\n";
        return Exit_Usage;
    }
    if (options.Production_Mode()) {
        return Run_Production_Mode(options, std::move(ready_image));
    }

    // The port is looked up once, now: a number means the unit that holds it at the start, and
    // that unit is programmed or none.
    const Port_Choice choice = Choose_Port(options.Production.Ports.front(), List_Ports());
    if (choice.Status != Port_Choice_Status::Found) {
        std::cerr << "vantrel-cli: " << choice.Reason << "\n";
        return Exit_Module_Not_Found;
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
    if (!Still_There(choice.Port, port.Available_Ports())) {
        std::cerr << "vantrel-cli: " << Port_Text(choice.Port) << " has gone\n";
        return Exit_Module_Not_Found;
    }
    Steady_Clock clock;
    Unit_Session session(data, port, ws, clock);
    if (const Port_Open_Failure failure = session.Open_Port(choice.Port); failure.Failed()) {
        std::cerr << "vantrel-cli: cannot open the port: " << failure.Reason << "\n";
        return Exit_Module_Not_Found;
    }
    Terminal_View view(std::cerr, isatty(STDERR_FILENO) != 0, options.Verbose);
    session.Add_Listener(view);

    std::cerr << "Programming the unit on " << Port_Text(choice.Port) << "\n";
    Run_Report report;
    {
        Interrupt_Guard interrupt(session);
        report = ready_image.empty() ? session.Compile_And_Run() : session.Run(ready_image);
    }
    view.Finish_Progress();
    session.Close_Port();

    Print_Summary(report);
    return Exit_Code(report.Outcome);
}
