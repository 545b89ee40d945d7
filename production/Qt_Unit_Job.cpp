#include "Qt_Unit_Job.h"

#include "Qt_Serial_Control.h"
#include "Qt_Window_System.h"
#include "Steady_Clock.h"
#include "Unit_Progress.h"
#include "Unit_Session.h"
#include "mod_variabili.h"

#include <QEventLoop>

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

} // namespace

Qt_Unit_Job::Qt_Unit_Job(Port_Entry port, const std::vector<std::uint8_t>& image, bool oled)
    : port_(std::move(port)), image_(image), oled_(oled) {}

Unit_Result Qt_Unit_Job::Run(Unit_Reporter& reporter) {
    // A thread that Qt did not start gets its event dispatcher with its first event loop; the
    // serial control's notifiers and the yields need it.
    const QEventLoop loop;
    Job_Window_System ws(reporter);
    Qt_Serial_Control port;
    Program_Data data(oled_ ? Quorrin_Program() : Vantrel_Program());
    Steady_Clock clock;
    Unit_Session session(data, port, ws, clock);
    if (const Port_Open_Failure failure = session.Open_Port(port_); failure.Failed()) {
        Unit_Event event;
        event.What = Unit_Event::Kind::Message;
        event.Text = "cannot open the port: " + failure.Reason;
        event.Open_Failure = failure.Cause;
        reporter.Report(std::move(event));
        return {Run_Outcome::Module_Not_Found, 0, 0, 0};
    }
    Unit_Progress progress(reporter);
    session.Add_Listener(progress);

    QObject context;
    {
        const std::lock_guard lock(mutex_);
        if (stop_) {
            return {Run_Outcome::Stopped, 0, 0, 0};
        }
        context_ = &context;
        stop_session_ = [&session] { session.Abort(); };
    }
    const Run_Report report = session.Run(image_);
    {
        const std::lock_guard lock(mutex_);
        context_ = nullptr;
        stop_session_ = nullptr;
    }
    session.Close_Port();
    return {report.Outcome, report.Blocks_Written, report.Retries, 0};
}

void Qt_Unit_Job::Stop() {
    const std::lock_guard lock(mutex_);
    stop_ = true;
    if (context_) {
        // Runs on the job's thread at its next yield; the session clears the abort at the start
        // of its run, so a stop posted before that still counts.
        QMetaObject::invokeMethod(context_, stop_session_, Qt::QueuedConnection);
    }
}
