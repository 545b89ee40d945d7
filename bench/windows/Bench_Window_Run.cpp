// A full programming run over a pseudo-terminal with instant replies, from the serial window
// (live log, counters and progress) and from vantrel-cli, side by side in one run.
#include "Child_Process.h"
#include "Qt_Serial_Control.h"
#include "Qt_Widgets_Window_System.h"
#include "Steady_Clock.h"
#include "frm_Tessaro.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>

using namespace std::chrono_literals;
using Seconds = std::chrono::duration<double>;

namespace {

const std::string Sim = MODULE_SIM_PATH;
const std::string Cli = VANTREL_CLI_PATH;

class No_Dialog : public File_Dialog {
  public:
    std::optional<std::string> Show_Open(const std::string&, int) override { return {}; }
    std::optional<std::string> Show_Save(const std::string&, int, const std::string&) override {
        return {};
    }
};

double Window_Run_Seconds() {
    Child_Process unit(Sim, {"--pty"});
    const std::string device = unit.First_Line(5s);
    Program_Data data(Vantrel_Program());
    Qt_Widgets_Window_System ws;
    No_Dialog dialog;
    Qt_Serial_Control port;
    Steady_Clock clock;
    frm_Tessaro window(data, ws, dialog, port, clock);
    if (!window.Form_Load()) {
        std::exit(1);
    }
    window.show();
    window.findChild<QAction*>(QStringLiteral("smnu_Comunicazione"))->trigger();
    frm_RS232* serial = window.Serial_Window();
    auto* list = serial->findChild<QComboBox*>(QStringLiteral("cmb_RS232"));
    list->setCurrentIndex(list->findData(QString::fromStdString(device)));
    QTest::mouseClick(serial->findChild<QPushButton*>(QStringLiteral("cmd_ON")), Qt::LeftButton);
    QTest::qWait(50);

    const auto start = std::chrono::steady_clock::now();
    QTest::mouseClick(serial->findChild<QPushButton*>(QStringLiteral("cmd_Write_RS232")),
                      Qt::LeftButton);
    const Seconds took = std::chrono::steady_clock::now() - start;
    if (serial->Counter_Text(Traffic_Log::Counter::Sent) != "514") {
        std::cerr << "the window's run did not complete\n";
        std::exit(1);
    }
    return took.count();
}

// The command line's own measure of its run, from its summary line ("..., 0.02 s, ...").
double Cli_Run_Seconds() {
    Child_Process unit(Sim, {"--pty"});
    Child_Process cli(Cli, {"program", "--port", unit.First_Line(5s)});
    if (cli.Wait(30s) != 0) {
        std::cerr << "the command line's run failed:\n" << cli.Err();
        std::exit(1);
    }
    const std::string err = cli.Err();
    const auto end = err.rfind(" s, ");
    const auto begin = err.rfind(", ", end - 1);
    return std::stod(err.substr(begin + 2, end - begin - 2));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::vector<double> window;
    std::vector<double> cli;
    for (int round = 0; round < 7; ++round) {
        window.push_back(Window_Run_Seconds());
        cli.push_back(Cli_Run_Seconds());
    }
    const double window_s = Median(window);
    const double cli_s = Median(cli);
    std::printf("Full programming run, instant replies (medians of 7):\n");
    std::printf("   window %.1f ms, vantrel-cli %.1f ms\n", window_s * 1e3, cli_s * 1e3);
    std::printf("   ratio window/command line: %.2f (target at most 1.5)\n", window_s / cli_s);
    return 0;
}
