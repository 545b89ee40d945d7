#include "Production_Job.h"

#include "Port_Choice.h"
#include "Programming_Sequence.h"
#include "Qt_Serial_Control.h"
#include "Qt_Window_System.h"
#include "Steady_Clock.h"
#include "mod_RS232.h"
#include "mod_variabili.h"

#include <QEventLoop>

#include <chrono>

namespace {

// The unit's messages become its events.
class Job_Window_System : public Qt_Window_System {
  public:
    explicit Job_Window_System(Unit_Reporter& reporter) : reporter_(reporter) {}
    void Message_Box(const std::string& text, const std::string&, Message_Icon) override {
        Unit_Event event;
        event.What = Unit_Event::Kind::Message;
        event.Text = Without_Carriage_Returns(text);
        reporter_.Report(std::move(event));
    }
    void Busy_Pointer(bool) override {}
    void End_Program() override {}

  private:
    Unit_Reporter& reporter_;
};

// The serial window's controls as events: the phase from the request in the log, the blocks
// from the bar, at most ten progress reports a second.
class Job_View : public Sequence_View {
  public:
    explicit Job_View(Unit_Reporter& reporter) : reporter_(reporter) {}
    void Watch(const Link_Statistics& stats) { stats_ = &stats; }

    std::string Log_Text() override { return log_; }
    void Set_Log_Text(const std::string& text) override {
        log_ = text;
        const Unit_Phase phase = text.starts_with(Find_Line)    ? Unit_Phase::Finding
                                 : text.starts_with(Reset_Line) ? Unit_Phase::Resetting
                                 : text.empty()                 ? phase_
                                                                : Unit_Phase::Writing;
        if (phase != phase_) {
            phase_ = phase;
            Report(Unit_Event::Kind::Phase);
        } else if (stats_ && stats_->Retries != retries_) {
            Report(Unit_Event::Kind::Progress);
        }
    }
    void Set_Log_Colour(std::size_t, std::size_t, std::uint32_t) override {}
    std::string Counter_Text(Counter which) override {
        return which == Counter::Sent ? sent_ : received_;
    }
    void Set_Counter_Text(Counter which, const std::string& text) override {
        (which == Counter::Sent ? sent_ : received_) = text;
    }
    void Set_Progress(double) override {
        const auto now = std::chrono::steady_clock::now();
        if (stats_ && now - last_ >= std::chrono::milliseconds(100)) {
            Report(Unit_Event::Kind::Progress);
        }
    }
    void Enable_Exit(bool) override {}
    void Enable_OFF(bool) override {}

  private:
    void Report(Unit_Event::Kind kind) {
        last_ = std::chrono::steady_clock::now();
        Unit_Event event;
        event.What = kind;
        event.Phase = phase_;
        event.Blocks = stats_ ? stats_->Blocks_Written : 0;
        retries_ = event.Retries = stats_ ? stats_->Retries : 0;
        reporter_.Report(std::move(event));
    }

    const std::string Find_Line = Log_Line(Find_Module_Request());
    const std::string Reset_Line = Log_Line(Reset_PIC_Request());
    Unit_Reporter& reporter_;
    const Link_Statistics* stats_ = nullptr;
    Unit_Phase phase_ = Unit_Phase::Opening;
    int retries_ = 0;
    std::string log_;
    std::string sent_ = "0";
    std::string received_ = "0";
    std::chrono::steady_clock::time_point last_{};
};

Unit_Outcome Outcome_Of(Run_Outcome outcome) {
    switch (outcome) {
    case Run_Outcome::Written:
        return Unit_Outcome::Written;
    case Run_Outcome::Module_Not_Found:
    case Run_Outcome::Compile_Failed:
        return Unit_Outcome::Not_Found;
    case Run_Outcome::Write_Failed:
        return Unit_Outcome::Write_Failed;
    case Run_Outcome::Stopped:
    case Run_Outcome::Busy:
        return Unit_Outcome::Stopped;
    case Run_Outcome::Reset_Not_Acknowledged:
        return Unit_Outcome::Reset_Not_Acknowledged;
    }
    return Unit_Outcome::Stopped;
}

} // namespace

Production_Job::Production_Job(Port_Entry port, const std::vector<std::uint8_t>& image, bool oled)
    : port_(std::move(port)), image_(image), oled_(oled) {}

Unit_Result Production_Job::Run(Unit_Reporter& reporter) {
    // A thread that Qt did not start gets its event dispatcher with its first event loop; the
    // serial control's notifiers and the yields need it.
    const QEventLoop loop;
    Job_Window_System ws(reporter);
    Job_View view(reporter);
    Qt_Serial_Control port;
    if (const Port_Open_Failure failure = port.Open(port_, Link_Line_Settings());
        failure.Failed()) {
        ws.Message_Box("cannot open the port: " + failure.Reason, "", Message_Icon::Critical);
        return {Unit_Outcome::Not_Found, 0, 0, 0};
    }
    Program_Data data(oled_ ? Quorrin_Program() : Vantrel_Program());
    Steady_Clock clock;
    RS232_Link link(data, port, ws, clock, view);
    view.Watch(link.Statistics());
    Programming_Sequence sequence(data, link, ws, view);
    sequence.Set_Compile_Step([this](Program_Data& d, Window_System&) {
        d.EEPROM_Image = image_;
        return true;
    });

    QObject context;
    {
        const std::lock_guard lock(mutex_);
        if (stop_) {
            return {Unit_Outcome::Stopped, 0, 0, 0};
        }
        context_ = &context;
        stop_link_ = [&link, &data] {
            data.Stop_Request = true;
            link.Request_Abort();
        };
    }
    const Run_Outcome outcome = sequence.Run();
    {
        const std::lock_guard lock(mutex_);
        context_ = nullptr;
        stop_link_ = nullptr;
    }
    port.Close();
    const Link_Statistics& stats = link.Statistics();
    return {Outcome_Of(outcome), stats.Blocks_Written, stats.Retries, 0};
}

void Production_Job::Stop() {
    const std::lock_guard lock(mutex_);
    stop_ = true;
    if (context_) {
        // Runs on the job's thread at its next yield; the sequence has cleared the abort at its
        // start, so a stop posted before that still counts.
        QMetaObject::invokeMethod(context_, stop_link_, Qt::QueuedConnection);
    }
}
