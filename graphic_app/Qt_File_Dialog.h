#pragma once

#include "File_Dialog.h"

#include <QHash>
#include <QString>

class QWidget;

// The main window's file dialog (Comm_Open_Save) over QFileDialog: Qt's own dialog, never the
// desktop's, so that it reads Italian and looks alike everywhere. Each showing starts from the
// previous choice made with the same filter, so bitmaps and configurations keep their folders.
class Qt_File_Dialog : public File_Dialog {
  public:
    void Set_Parent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> Show_Open(const std::string& filter, int filter_index) override;
    std::optional<std::string> Show_Open_In(const std::string& filter, int filter_index,
                                            const std::string& folder) override;
    std::optional<std::string> Show_Save(const std::string& filter, int filter_index,
                                         const std::string& suggested) override;

  private:
    QWidget* parent_ = nullptr;
    QHash<QString, QString> last_choice_; // by filter
};

// "Tutti i file |*.*| Messaggio (*.bmp) | *.bmp" (description|pattern pairs) as Qt's filter
// list: "Tutti i file (*.*)", "Messaggio (*.bmp)".
QStringList Qt_Filters(const std::string& filter);
