#pragma once

#include "Port_Choice.h"
#include "Serial_Control.h"
#include "Session_Events.h"
#include "Traffic_Log.h"
#include "Unit_Session.h"
#include "Window_System.h"
#include "mod_variabili.h"

#include <QWidget>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QTimer;

// The serial communication window. It drives the main window's serial control and session, and
// draws what the session reports: the traffic log, the packet counters, the progress bar and
// the status line.
class frm_RS232 : public QWidget, public Session_Events {
    Q_OBJECT

  public:
    frm_RS232(Program_Data& data, Serial_Control& port, Unit_Session& session, Window_System& ws);
    ~frm_RS232() override;

    // The load step: centres the window, scans the ports and starts in the port-closed state.
    void Form_Load();

    bool Running() const { return session_.Running(); }
    // The main window asks this when it goes during a run: the run is aborted and the window
    // closes once the run has unwound.
    void Close_After_Run();
    bool Unloaded() const { return unloaded_; }
    // The serial control reported that the open port went away.
    void Port_Lost();

    // What the traffic log and the counters hold.
    const std::string& Log_Text() const { return traffic_.Text(); }
    std::string Counter_Text(Traffic_Log::Counter which) const {
        return traffic_.Counter_Text(which);
    }

    void Run_Started() override;
    void Run_Ended(const Run_Report& report) override;
    void Request_Sent(const Link_Attempt& attempt, std::string_view frame) override;

    // Shows the log, the counters and the progress as they stand now. During a run the view is
    // brought up to date at most every Refresh_Interval_Ms; outside a run at once.
    void Refresh_View();

  signals:
    void Run_Over();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // pgb_RS232 counts blocks.
    static constexpr int Progress_Maximum = 512;
    void Build_Controls();
    // A scan: the list offers the ports that open now, each bound to its device. The unit chosen
    // before stays chosen, whatever its number now; when it has gone nothing is chosen.
    void Refresh_Port_List();
    void Scan_Ports();
    // Selects entry `index` of the list, or nothing for -1.
    void Select_Entry(int index);
    Port_Choice Chosen_Port() const;
    // The label under the list: the open port's device while it is open, else the chosen one's.
    void Show_Port_Device();
    // Says the port is not there (any more) and scans again.
    void Port_Gone(const std::string& port_name, bool was_listed);
    void Set_Port_Closed_State();
    void Set_Port_Open_State();

    void cmd_Scan_RS232_Click();
    void cmd_ON_Click();
    void cmd_OFF_Click();
    void cmd_Stop_RS232_Click();
    void cmd_Write_RS232_Click();

    // Position in the log view's document of a position in the log text, whose line ends are
    // two characters where the view's paragraph breaks are one.
    int View_Position(std::size_t text_position) const;
    void View_Changed();
    void Show_Log();

    Program_Data& data_;
    Serial_Control& port_;
    Unit_Session& session_;
    Window_System& ws_;

    // What the link did; the controls show it at the next refresh.
    Traffic_Log traffic_;
    QTimer* refresh_ = nullptr;
    std::string shown_log_;
    std::size_t shown_colours_ = 0;
    // Every block of the last run was acknowledged: the bar reads complete although its value
    // stays the index of the last block sent.
    bool write_complete_ = false;

    std::vector<Port_Entry> scanned_; // one per list entry, in the list's order
    std::optional<Port_Entry> open_port_;
    // The chosen unit that the last scan no longer found, until the user chooses again.
    std::optional<Port_Entry> missing_;
    std::string status_; // what lbl_Stato shows at the next refresh
    bool close_after_run_ = false;
    bool unloaded_ = false;

    QGroupBox* fra_Select_RS232 = nullptr;
    QGroupBox* fra_RS232 = nullptr;
    QComboBox* cmb_RS232 = nullptr;
    QPushButton* cmd_Scan_RS232 = nullptr;
    QLabel* lbl_Port_Device = nullptr;
    QGroupBox* fra_Speed = nullptr;
    QLineEdit* txt_Baud_Rates = nullptr;
    QLineEdit* txt_Lenght_Byte = nullptr;
    QLineEdit* txt_Parity_Bit = nullptr;
    QLineEdit* txt_Stop_Bit = nullptr;
    QGroupBox* fra_Set_Port = nullptr;
    QPushButton* cmd_ON = nullptr;
    QPushButton* cmd_OFF = nullptr;
    QGroupBox* fra_Comandi = nullptr;
    QPushButton* cmd_Write_RS232 = nullptr;
    QPushButton* cmd_Stop_RS232 = nullptr;
    QTextEdit* rtb_RS232_SPY = nullptr;
    QProgressBar* pgb_RS232 = nullptr;
    QLineEdit* txt_Send_Packet = nullptr;
    QLineEdit* txt_Received_Packet = nullptr;
    QPushButton* cmd_Exit = nullptr;
    QLabel* lbl_Stato = nullptr; // what the run is doing, then how it ended
};
