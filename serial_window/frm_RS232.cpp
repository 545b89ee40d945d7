#include "frm_RS232.h"

#include "Port_Failure_Text.h"
#include "Run_Status.h"
#include "mod_RS232_COD.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int First_Scanned_Port = 1;
constexpr int Last_Scanned_Port = 16;
// About 25 refreshes a second keep a run's log, counters and progress visibly live.
constexpr int Refresh_Interval_Ms = 40;

QString Q(const char* text) {
    return QString::fromUtf8(text);
}
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// "COM 1 – /dev/ttyUSB0 (n. serie A10K3XYZ)": the number, and what tells the unit apart.
QString Entry_Text(const Port_Entry& port) {
    QString text = QStringLiteral("COM %1 – %2").arg(port.Number).arg(Q(port.Device));
    if (port.Simulated_Pid != 0) {
        text += Q(" (unità simulata)");
    } else if (!port.Serial_Number.empty()) {
        text += QStringLiteral(" (n. serie %1)").arg(Q(port.Serial_Number));
    }
    return text;
}

std::string Port_Name(const Port_Entry& port) {
    if (port.Number == 0) {
        return port.Device;
    }
    return "COM " + std::to_string(port.Number) + " (" + port.Device + ")";
}

// Log colours are 0x00BBGGRR values.
QColor Log_Colour(std::uint32_t colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

} // namespace

frm_RS232::frm_RS232(Program_Data& data, Serial_Control& port, Unit_Session& session,
                     Window_System& ws)
    : data_(data), port_(port), session_(session), ws_(ws) {
    setObjectName(QStringLiteral("frm_RS232"));
    setWindowTitle(Q("Comunicazione seriale verso modulo LCD"));
    Build_Controls();
    refresh_ = new QTimer(this);
    refresh_->setSingleShot(true);
    connect(refresh_, &QTimer::timeout, this, &frm_RS232::Refresh_View);
    traffic_.Set_Listener([this](Traffic_Log::Change what) {
        if (what == Traffic_Log::Change::Progress) {
            write_complete_ = false;
        }
        View_Changed();
    });
    session_.Add_Listener(traffic_);
    session_.Add_Listener(*this);
}

frm_RS232::~frm_RS232() {
    session_.Remove_Listener(*this);
    session_.Remove_Listener(traffic_);
}

void frm_RS232::Form_Load() {
    resize(size().expandedTo(minimumSizeHint()));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const double top = (area.height() - double(frameGeometry().height())) / 2;
        const double left = (area.width() - double(frameGeometry().width())) / 2;
        move(area.x() + int(std::lround(left)), area.y() + int(std::lround(top)));
    }
    Refresh_Port_List();
    Set_Port_Closed_State();
}

void frm_RS232::Refresh_Port_List() {
    // Numbers shift when units come and go: the choice is the unit, not its entry's place.
    std::optional<Port_Entry> kept = missing_;
    if (const Port_Choice choice = Chosen_Port();
        !kept && choice.Status == Port_Choice_Status::Found && choice.Port.Number != 0) {
        kept = choice.Port;
    }
    const QSignalBlocker quiet(cmb_RS232);
    ws_.Busy_Pointer(true);
    Scan_Ports();
    ws_.Busy_Pointer(false);
    missing_.reset();
    int index = kept || scanned_.empty() ? -1 : 0;
    if (kept) {
        if (const auto place = Place_Of(*kept, scanned_)) {
            index = int(*place);
        } else {
            // Another unit in its place would be programmed by mistake.
            missing_ = kept;
        }
    }
    Select_Entry(index);
    Show_Port_Device();
}

void frm_RS232::Select_Entry(int index) {
    cmb_RS232->setCurrentIndex(index);
    cmb_RS232->setEditText(index < 0 ? QString() : cmb_RS232->itemText(index));
    cmb_RS232->lineEdit()->setCursorPosition(0);
}

void frm_RS232::Scan_Ports() {
    scanned_.clear();
    cmb_RS232->clear();
    for (const Port_Entry& entry : port_.Available_Ports()) {
        if (entry.Number < First_Scanned_Port || entry.Number > Last_Scanned_Port) {
            continue;
        }
        // A port that opens but refuses the line settings is listed: ON then tells why.
        const Port_Open_Failure failure = port_.Open(entry, Link_Line_Settings());
        if (!failure.Failed() || failure.Cause == Port_Failure::Settings_Refused) {
            scanned_.push_back(entry);
            cmb_RS232->addItem(Entry_Text(entry), Q(entry.Device));
        }
        if (port_.PortOpen()) {
            port_.Close();
        }
    }
    // The open list shows whole entries, also when they are wider than the field.
    QAbstractItemView* entries = cmb_RS232->view();
    entries->setMinimumWidth(entries->sizeHintForColumn(0) + 2 * entries->frameWidth() +
                             entries->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

// A list entry stands for the device its scan found; a typed text is looked up among them.
Port_Choice frm_RS232::Chosen_Port() const {
    const int index = cmb_RS232->currentIndex();
    const QString text = cmb_RS232->currentText();
    if (index >= 0 && std::size_t(index) < scanned_.size() && text == cmb_RS232->itemText(index)) {
        return {Port_Choice_Status::Found, scanned_[std::size_t(index)], {}};
    }
    return Choose_Port(text.toStdString(), scanned_);
}

void frm_RS232::Show_Port_Device() {
    const Port_Choice choice = Chosen_Port();
    const bool found = choice.Status == Port_Choice_Status::Found;
    std::string text;
    if (open_port_) {
        // The list stays usable while the port is open, but a new choice waits for OFF and ON.
        text = "Porta aperta: " + open_port_->Device;
        if (!found || !Same_Unit(choice.Port, *open_port_)) {
            text += " – la scelta vale dopo OFF e ON";
        }
    } else if (missing_) {
        text = "La porta " + missing_->Device + " non è più disponibile";
    } else if (found) {
        text = choice.Port.Device;
    }
    lbl_Port_Device->setText(Q(text));
}

void frm_RS232::Set_Port_Closed_State() {
    open_port_.reset();
    Show_Port_Device();
    cmd_ON->setEnabled(true);
    cmd_OFF->setEnabled(false);
    fra_Comandi->setEnabled(false);
    cmd_Write_RS232->setEnabled(false);
    cmd_Scan_RS232->setEnabled(true);
}

void frm_RS232::Set_Port_Open_State() {
    cmd_OFF->setEnabled(true);
    cmd_ON->setEnabled(false);
    fra_Comandi->setEnabled(true);
    cmd_Write_RS232->setEnabled(true);
    // The open port would not open for the scan and so drop out of the list.
    cmd_Scan_RS232->setEnabled(false);
    Show_Port_Device();
}

void frm_RS232::cmd_Scan_RS232_Click() {
    Refresh_Port_List();
}

void frm_RS232::Port_Gone(const std::string& port_name, bool was_listed) {
    ws_.Message_Box("La porta " + port_name +
                        (was_listed ? " non è più presente." : " non è presente.") + CR_LF +
                        "L'elenco delle porte è stato aggiornato: scegliere di nuovo la porta.",
                    Title_Error, Message_Icon::Critical);
    Refresh_Port_List();
}

void frm_RS232::cmd_ON_Click() {
    // After the chosen unit went away nothing is chosen, and nothing else may be opened instead.
    if (cmb_RS232->currentText().trimmed().isEmpty()) {
        return;
    }
    const std::string text = cmb_RS232->currentText().toStdString();
    const Port_Choice choice = Chosen_Port();
    switch (choice.Status) {
    case Port_Choice_Status::Not_A_Port:
        ws_.Message_Box("Porta seriale non valida: \"" + text + "\".", Title_Error,
                        Message_Icon::Critical);
        return;
    case Port_Choice_Status::Ambiguous:
        ws_.Message_Box("Più porte rispondono a \"" + text + "\"." + CR_LF +
                            "Scegliere la porta dall'elenco.",
                        Title_Error, Message_Icon::Critical);
        return;
    case Port_Choice_Status::Gone:
        Port_Gone(text, false);
        return;
    case Port_Choice_Status::Found:
        break;
    }
    const Port_Entry& chosen = choice.Port;
    if (!Still_There(chosen, port_.Available_Ports())) {
        Port_Gone(Port_Name(chosen), chosen.Number != 0);
        return;
    }
    if (const Port_Open_Failure failure = session_.Open_Port(chosen); failure.Failed()) {
        if (failure.Cause == Port_Failure::Not_Found) {
            Port_Gone(Port_Name(chosen), chosen.Number != 0);
            return;
        }
        const std::string first_line =
            failure.Cause == Port_Failure::Settings_Refused
                ? "Impossibile impostare la porta " + Port_Name(chosen) + " a " +
                      Line_Settings_Text + "."
                : "Impossibile aprire la porta " + Port_Name(chosen) + ".";
        ws_.Message_Box(first_line + CR_LF +
                            Italian_Port_Failure_Text(failure.Cause, chosen.Device),
                        Title_Error, Message_Icon::Critical);
        return;
    }
    open_port_ = chosen;
    Set_Port_Open_State();
}

void frm_RS232::cmd_OFF_Click() {
    session_.Close_Port();
    traffic_.Clear_Log();
    Set_Port_Closed_State();
}

void frm_RS232::cmd_Stop_RS232_Click() {
    session_.Stop();
}

void frm_RS232::cmd_Write_RS232_Click() {
    // A click that arrives inside the running session's waits must not start a second run.
    if (session_.Running()) {
        return;
    }
    status_.clear();
    const Run_Report report = session_.Compile_And_Run();
    write_complete_ = report.Blocks_Written == report.Total_Blocks;
    status_ = Run_Status_Text(report);
    Refresh_View();
    // A port that went away during the run leaves nothing to write to until it is opened again.
    if (!port_.PortOpen()) {
        Set_Port_Closed_State();
    }
    if (close_after_run_) {
        close();
    }
    emit Run_Over();
}

void frm_RS232::Port_Lost() {
    // During a run the link step meets the loss itself and the run ends first.
    if (!session_.Running()) {
        Set_Port_Closed_State();
    }
}

void frm_RS232::Close_After_Run() {
    close_after_run_ = true;
    session_.Link().Request_Abort();
}

void frm_RS232::closeEvent(QCloseEvent* event) {
    // The run is still on the stack inside a yield: end it first and leave once it has unwound.
    if (session_.Running()) {
        Close_After_Run();
        event->ignore();
        return;
    }
    if (port_.PortOpen()) {
        port_.Close();
    }
    unloaded_ = true;
    session_.Remove_Listener(*this);
    session_.Remove_Listener(traffic_);
    event->accept();
}

int frm_RS232::View_Position(std::size_t text_position) const {
    const std::string& log = traffic_.Text();
    const auto end = log.begin() + static_cast<std::ptrdiff_t>(text_position);
    return int(text_position) - int(std::count(log.begin(), end, '\r'));
}

void frm_RS232::Run_Started() {
    cmd_Exit->setEnabled(false);
    cmd_OFF->setEnabled(false);
}

void frm_RS232::Run_Ended(const Run_Report&) {
    cmd_Exit->setEnabled(true);
    cmd_OFF->setEnabled(true);
}

void frm_RS232::Request_Sent(const Link_Attempt& attempt, std::string_view) {
    status_ = Attempt_Status_Text(attempt);
    View_Changed();
}

void frm_RS232::View_Changed() {
    // A run changes the view a few thousand times in well under a second; laying out and
    // painting every change would cost far more than the transfer itself.
    if (!session_.Running()) {
        Refresh_View();
    } else if (!refresh_->isActive()) {
        refresh_->start(Refresh_Interval_Ms);
    }
}

void frm_RS232::Refresh_View() {
    refresh_->stop();
    Show_Log();
    txt_Send_Packet->setText(Q(traffic_.Counter_Text(Traffic_Log::Counter::Sent)));
    txt_Received_Packet->setText(Q(traffic_.Counter_Text(Traffic_Log::Counter::Received)));
    pgb_RS232->setValue(std::clamp(traffic_.Progress(), 0, Progress_Maximum));
    pgb_RS232->setFormat(write_complete_ ? QStringLiteral("100%") : QStringLiteral("%p%"));
    lbl_Stato->setText(Q(status_));
}

void frm_RS232::Show_Log() {
    const std::string& log = traffic_.Text();
    const std::vector<Traffic_Log::Colour_Span>& colours = traffic_.Colours();
    if (shown_log_ == log && shown_colours_ == colours.size()) {
        return;
    }
    const std::string shown = Without_Carriage_Returns(log);
    QTextCharFormat plain;
    plain.setForeground(rtb_RS232_SPY->palette().color(QPalette::Text));
    rtb_RS232_SPY->clear();
    QTextCursor cursor(rtb_RS232_SPY->document());
    cursor.insertText(QString::fromLatin1(shown.data(), qsizetype(shown.size())), plain);
    for (const Traffic_Log::Colour_Span& range : colours) {
        const std::size_t first = std::min(range.Start, log.size());
        const std::size_t last = std::min(first + range.Length, log.size());
        cursor.setPosition(View_Position(first));
        cursor.setPosition(View_Position(last), QTextCursor::KeepAnchor);
        QTextCharFormat coloured;
        coloured.setForeground(Log_Colour(range.Colour));
        cursor.mergeCharFormat(coloured);
    }
    shown_log_ = log;
    shown_colours_ = colours.size();
}
