#include "Configuration_Menu.h"

#include "Atomic_File.h"
#include "Configuration_Load.h"
#include "Configuration_Messages.h"
#include "Recent_List.h"
#include "mod_Compilatore.h"

#include <algorithm>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>

#include <filesystem>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Configuration_Filter(const Program_Description& program) {
    const std::string pattern = "*" + Configuration_Extension(program);
    return "Configurazione " + program.Program_Name + " (" + pattern + ")|" + pattern +
           "|Tutti i file|*.*";
}

constexpr const char* Image_Filter = "Immagine EEPROM (*.bin)|*.bin|Tutti i file|*.*";

QAction* Entry(QMenu& menu, QAction& before, const char* name, const char* text,
               const QKeySequence& shortcut) {
    auto* action = new QAction(QString::fromUtf8(text), &menu);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    menu.insertAction(&before, action);
    return action;
}

} // namespace

Configuration_Menu::Configuration_Menu(QMainWindow& window, Program_Data& data, Window_System& ws,
                                       File_Dialog& dialog, Picture_Boxes& boxes, QMenu& menu,
                                       QAction& exit_entry)
    : QObject(&window), window_(window), data_(data), ws_(ws), dialog_(dialog), boxes_(boxes),
      menu_(menu) {
    // The same keys on every desktop, whatever its own conventions say.
    connect(Entry(menu, exit_entry, "smnu_Open_Configuration", "&Apri configurazione…",
                  QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this, [this] { Open_Click(); });
    connect(Entry(menu, exit_entry, "smnu_Save_Configuration", "&Salva configurazione",
                  QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, [this] { Save(); });
    connect(Entry(menu, exit_entry, "smnu_Save_Configuration_As", "Salva configurazione con &nome…",
                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)),
            &QAction::triggered, this, [this] { Save_As(); });
    connect(Entry(menu, exit_entry, "smnu_Export_Image", "Es&porta immagine EEPROM…",
                  QKeySequence(Qt::CTRL | Qt::Key_E)),
            &QAction::triggered, this, [this] { Export_Click(); });
    menu.insertSeparator(&exit_entry);
    recent_separator_ = menu.insertSeparator(&exit_entry);
    Rebuild_Recent_Entries();
}

bool Configuration_Menu::Open(const std::string& path) {
    const QString absolute = QFileInfo(Q(path)).absoluteFilePath();
    const std::string name = QFileInfo(absolute).fileName().toStdString();
    Configuration configuration;
    Configuration_Error error;
    if (!Read_Configuration_File(QFile::encodeName(absolute).toStdString(), configuration, error) ||
        !Check_Layout(configuration, data_.Program, error)) {
        ws_.Message_Box(Italian_Text(error, absolute.toStdString()), Title_Error,
                        Message_Icon::Critical);
        if (error.Problem == Configuration_Error::Kind::Unreadable) {
            QStringList recent = Recent();
            recent.removeAll(absolute);
            Set_Recent(recent);
        }
        return false;
    }
    const auto failures = Apply_Configuration(configuration, data_, boxes_, ws_);
    if (On_Loaded) {
        On_Loaded();
    }
    Set_Current(absolute);
    if (!failures.empty()) {
        ws_.Message_Box(Slot_Failures_Text(data_.Program, name, failures), Title_Warning,
                        Message_Icon::Exclamation);
    }
    return true;
}

void Configuration_Menu::Mark_Changed() {
    Update_Title();
}

void Configuration_Menu::Show_Partial(bool partial) {
    partial_ = partial;
    Update_Title();
}

bool Configuration_Menu::Modified() const {
    return Edit_State_Of(data_) != kept_state_;
}

void Configuration_Menu::Keep_State() {
    kept_state_ = Edit_State_Of(data_);
}

bool Configuration_Menu::Ready_To_Close() {
    return Settle_Unsaved_Changes();
}

void Configuration_Menu::Open_Click() {
    if (!Settle_Unsaved_Changes()) {
        return;
    }
    if (const auto chosen = dialog_.Show_Open(Configuration_Filter(data_.Program), 1)) {
        Open(*chosen);
    }
}

bool Configuration_Menu::Save() {
    if (current_.isEmpty()) {
        return Save_As();
    }
    if (const File_Failure failure = Write_Configuration_File(
            QFile::encodeName(current_).toStdString(), Configuration_Of(data_));
        failure.Failed()) {
        ws_.Message_Box(Italian_Text(failure), Title_Error, Message_Icon::Critical);
        return false;
    }
    Set_Current(current_);
    return true;
}

bool Configuration_Menu::Save_As() {
    const auto chosen =
        dialog_.Show_Save(Configuration_Filter(data_.Program), 1, current_.toStdString());
    if (!chosen) {
        return false;
    }
    QString path = QFileInfo(Q(*chosen)).absoluteFilePath();
    if (QFileInfo(path).suffix().isEmpty()) {
        path += Q(Configuration_Extension(data_.Program));
    }
    const QString previous = current_;
    current_ = path;
    if (!Save()) {
        current_ = previous;
        return false;
    }
    return true;
}

void Configuration_Menu::Export_Click() {
    const auto chosen = dialog_.Show_Save(Image_Filter, 1, "");
    if (!chosen) {
        return;
    }
    // A copy, so that a run of the serial window keeps sending the image it compiled.
    Program_Data compiled(data_);
    if (!Compile_Images(compiled, ws_)) {
        return;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(compiled.EEPROM_Image.data()),
                                 compiled.EEPROM_Image.size());
    if (const File_Failure failure = Write_File_Atomically(*chosen, bytes); failure.Failed()) {
        ws_.Message_Box(Italian_Text(failure), Title_Error, Message_Icon::Critical);
        return;
    }
    window_.statusBar()->showMessage(QStringLiteral("Immagine EEPROM scritta in ") + Q(*chosen));
}

bool Configuration_Menu::Settle_Unsaved_Changes() {
    if (!Modified()) {
        return true;
    }
    QMessageBox question(
        QMessageBox::Question, Q(data_.Program.Main_Caption),
        current_.isEmpty()
            ? QStringLiteral("Salvare le modifiche?")
            : QStringLiteral("Salvare le modifiche a %1?").arg(QFileInfo(current_).fileName()),
        QMessageBox::NoButton, &window_);
    question.setObjectName(QStringLiteral("msg_Unsaved_Changes"));
    QPushButton* save = question.addButton(QStringLiteral("Salva"), QMessageBox::AcceptRole);
    QPushButton* discard =
        question.addButton(QStringLiteral("Non salvare"), QMessageBox::DestructiveRole);
    QPushButton* cancel = question.addButton(QStringLiteral("Annulla"), QMessageBox::RejectRole);
    question.setDefaultButton(save);
    question.setEscapeButton(cancel);
    question.exec();
    if (question.clickedButton() == save) {
        return Save();
    }
    return question.clickedButton() == discard;
}

void Configuration_Menu::Set_Current(const QString& path) {
    current_ = path;
    Keep_State();
    QStringList recent = Recent();
    recent.removeAll(path);
    recent.prepend(path);
    Set_Recent(recent.mid(0, Recent_Limit));
    Update_Title();
}

void Configuration_Menu::Update_Title() {
    // Until a configuration is in use the title stays the program's own.
    if (current_.isEmpty()) {
        return;
    }
    window_.setWindowTitle(Q(data_.Program.Main_Caption) + QStringLiteral(" - ") +
                           QFileInfo(current_).fileName() +
                           (partial_ ? QStringLiteral(" (caricata in parte)") : QString()) +
                           (Modified() ? QStringLiteral("*") : QString()));
}

std::string Configuration_Menu::Recent_File() const {
    return QFile::encodeName(
               QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/Vantrel/") + Q(data_.Program.Program_Name) +
               QStringLiteral("-recenti.txt"))
        .toStdString();
}

QStringList Configuration_Menu::Recent() const {
    // No list yet, or one that cannot be read, is an empty list: the entries are a shortcut.
    std::string text;
    Read_Whole_File(Recent_File(), text, Recent_List_Bytes);
    QStringList files;
    for (const std::string& entry : Recent_Entries(text, Recent_Limit)) {
        files << QFile::decodeName(QByteArray::fromStdString(entry));
    }
    return files;
}

void Configuration_Menu::Set_Recent(const QStringList& files) {
    std::string text;
    for (const QString& file : files) {
        text += QFile::encodeName(file).toStdString() + '\n';
    }
    const std::string path = Recent_File();
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (const File_Failure failure = Write_File_Atomically(path, text); failure.Failed()) {
        ws_.Message_Box(Italian_Text(failure) + CR_LF +
                            "L'elenco delle configurazioni recenti non è stato aggiornato.",
                        Title_Warning, Message_Icon::Exclamation);
    }
    Rebuild_Recent_Entries();
}

void Configuration_Menu::Rebuild_Recent_Entries() {
    for (QAction* old : menu_.findChildren<QAction*>(QStringLiteral("smnu_Recent"))) {
        menu_.removeAction(old);
        delete old;
    }
    const QStringList files = Recent();
    for (int i = 0; i < files.size(); ++i) {
        // Configurations of one name in several folders are told apart by their folder.
        const QFileInfo info(files[i]);
        const bool shared_name =
            std::count_if(files.begin(), files.end(), [&](const QString& other) {
                return QFileInfo(other).fileName() == info.fileName();
            }) > 1;
        const QString shown =
            shared_name ? QStringLiteral("%1 (%2)").arg(
                              info.fileName(), QDir::toNativeSeparators(info.absolutePath()))
                        : info.fileName();
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), &menu_);
        action->setObjectName(QStringLiteral("smnu_Recent"));
        action->setProperty("index", i);
        action->setToolTip(files[i]);
        action->setStatusTip(files[i]);
        menu_.insertAction(recent_separator_, action);
        const QString file = files[i];
        connect(action, &QAction::triggered, this, [this, file] {
            if (!QFileInfo::exists(file)) {
                ws_.Message_Box("La configurazione " + file.toStdString() +
                                    " non esiste più: è stata tolta dall'elenco.",
                                Title_Warning, Message_Icon::Exclamation);
                QStringList recent = Recent();
                recent.removeAll(file);
                Set_Recent(recent);
                return;
            }
            if (Settle_Unsaved_Changes()) {
                Open(QFile::encodeName(file).toStdString());
            }
        });
    }
}
