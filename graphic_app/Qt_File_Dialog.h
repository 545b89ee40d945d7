#pragma once

#include "File_Dialog.h"

#include <QString>

class QWidget;

// The main window's file dialog (Comm_Open_Save) over QFileDialog. Each opening starts from the
// previous choice.
class Qt_File_Dialog : public File_Dialog {
  public:
    void Set_Parent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> Show_Open(const std::string& filter, int filter_index) override;
    std::optional<std::string> Show_Save(const std::string& filter,
                                         const std::string& suggested) override;

  private:
    QWidget* parent_ = nullptr;
    QString last_choice_;
};

// "Tutti i file |*.*| Messaggio (*.bmp) | *.bmp" (description|pattern pairs) as Qt's filter
// list: "Tutti i file (*.*)", "Messaggio (*.bmp)".
QStringList Qt_Filters(const std::string& filter);
