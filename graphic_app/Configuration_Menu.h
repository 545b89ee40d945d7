#pragma once

#include "Edit_History.h"
#include "File_Dialog.h"
#include "Picture_Boxes.h"
#include "Window_System.h"
#include "mod_variabili.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QAction;
class QMainWindow;
class QMenu;

// The File menu's configuration entries of the main window: open, save, save as, export of the
// EEPROM image and the last configurations used; the window's title while a configuration is in
// use, and the question about unsaved changes.
class Configuration_Menu : public QObject {
    Q_OBJECT

  public:
    // The entries go into `menu` before `exit_entry`.
    Configuration_Menu(QMainWindow& window, Program_Data& data, Window_System& ws,
                       File_Dialog& dialog, Picture_Boxes& boxes, QMenu& menu, QAction& exit_entry);

    // Opens a configuration; false (after its message) when it was not taken.
    bool Open(const std::string& path);
    // The slots or glyphs may have changed: the title follows.
    void Mark_Changed();
    // Some slot holds a file that cannot be shown: the title says the configuration is loaded in
    // part.
    void Show_Partial(bool partial);
    // Asks whether to save what differs from the last configuration opened or saved (or from the
    // start-up state); false when the user cancels (or saving failed).
    bool Ready_To_Close();

    // The slots or glyphs differ from the last configuration opened or saved, or from the
    // start-up state before any.
    bool Modified() const;
    // The path of the configuration in use; empty before any was opened or saved.
    std::string Current() const { return current_.toStdString(); }
    // The slots and glyphs as they are now are the ones nothing is lost of (after the start-up).
    void Keep_State();
    // After a configuration went into the data: the window redraws what it shows of the glyphs.
    std::function<void()> On_Loaded;

    static constexpr int Recent_Limit = 4;

  private:
    void Open_Click();
    bool Save();
    bool Save_As();
    void Export_Click();
    // Saves, discards or cancels unsaved changes; true when the caller may go on.
    bool Settle_Unsaved_Changes();
    void Set_Current(const QString& path);
    void Update_Title();
    // The list of recent configurations, one file per line, kept per program in the user's
    // configuration folder.
    std::string Recent_File() const;
    QStringList Recent() const;
    void Set_Recent(const QStringList& files);
    void Rebuild_Recent_Entries();

    QMainWindow& window_;
    Program_Data& data_;
    Window_System& ws_;
    File_Dialog& dialog_;
    Picture_Boxes& boxes_;
    QMenu& menu_;
    QAction* recent_separator_ = nullptr;
    QString current_;       // absolute path of the configuration in use; empty before any
    Edit_State kept_state_; // the slots and glyphs as last opened or saved
    bool partial_ = false;
};
