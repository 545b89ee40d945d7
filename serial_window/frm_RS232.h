#pragma once

#include "Link_View_Relay.h"
#include "Port_Choice.h"
#include "Programming_Sequence.h"
#include "Serial_Control.h"
#include "Window_System.h"
#include "mod_RS232.h"
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

// The serial communication window. It drives the main window's serial control and link, and
// shows what the link steps write: the traffic log, the packet counters and the progress bar.
class frm_RS232 : public QWidget, public Sequence_View {
    Q_OBJECT

  public:
    frm_RS232(Program_Data& data, Serial_Control& port, RS232_Link& link, Link_View_Relay& relay,
              Window_System& ws);
    ~frm_RS232() override;

    // The load step: centres the window, scans the ports and starts in the port-closed state.
    void Form_Load();

    bool Running() const { return sequence_.Running(); }
    // The main window asks this when it goes during a run: the run is aborted and the window
    // closes once the run has unwound.
    void Close_After_Run();
    bool Unloaded() const { return unloaded_; }
    // The serial control reported that the open port went away.
    void Port_Lost();

    std::string Log_Text() override { return log_; }
    void Set_Log_Text(const std::string& text) override;
    void Set_Log_Colour(std::size_t start, std::size_t length, std::uint32_t colour) override;
    std::string Counter_Text(Counter which) override;
    void Set_Counter_Text(Counter which, const std::string& text) override;
    void Set_Progress(double value) override;
    void Attempt_Started(const Link_Attempt& attempt) override;
    void Enable_Exit(bool enabled) override;
    void Enable_OFF(bool enabled) override;

    // Shows the log, the counters and the progress as they stand now. During a run the view is
    // brought up to date at most every Refresh_Interval_Ms; outside a run at once.
    void Refresh_View();

  signals:
    void Run_Ended();

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
    RS232_Link& link_;
    Link_View_Relay& relay_;
    Window_System& ws_;
    Programming_Sequence sequence_;

    // What the link wrote; the controls show it at the next refresh.
    struct Colour_Range {
        std::size_t Start;
        std::size_t Length;
        std::uint32_t Colour;
    };
    std::string log_;
    std::vector<Colour_Range> log_colours_;
    std::string sent_ = "0";
    std::string received_ = "0";
    int progress_ = 0;
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
