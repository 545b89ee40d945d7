#pragma once

#include "Production_Station.h"
#include "Qt_Production_Watch.h"
#include "Station_Model.h"

#include <QElapsedTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class File_Dialog;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class Station_Tile;
class Window_System;
struct Program_Data;

// The production station: programs every unit that appears, each once per appearance, with the
// image of the main window's state when "Avvia" was pressed (or an image file), and shows each
// unit as a tile with the running totals. Its watch runs on this thread's event loop; the units
// run on threads of their own.
class Station_Window : public QWidget, public Watch_Output {
    Q_OBJECT

  public:
    // `configuration` names the main window's configuration (empty before any is saved).
    Station_Window(const Program_Data& data, Window_System& ws, File_Dialog& dialog,
                   std::function<std::string()> configuration, QWidget* parent = nullptr);
    ~Station_Window() override;

    void Start();
    // Stops every running unit without a reset; the window stays.
    void Stop();
    void Clear();
    bool Running() const { return watch_ != nullptr; }
    // The image file chosen, or none to use the main window's state; false (after its message)
    // when it is not an image.
    bool Use_Image_File(const std::string& path);

    const Station_Model& Model() const { return model_; }
    // Asks to stop the units when they run; Stopped_For_Close follows once they have.
    bool Ready_To_Close();
    // The units are being stopped for the window to close.
    bool Closing() const { return close_after_stop_; }

  signals:
    void Stopped_For_Close();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Port_Found(const std::string&) override {}
    void Port_Skipped(const std::string& named, const Port_Open_Failure& why) override;
    void Port_Gone(const std::string&) override {}
    void Unit_Started(std::size_t unit, const Port_Entry& port, const std::string& named) override;
    void Unit_Changed(const Unit_Event& event) override;
    void Unit_Recorded(std::size_t unit, const Unit_Record& record,
                       const Production_Totals& totals) override;
    void Log_Failed(const File_Failure& failure) override;
    void Unit_Left(std::size_t unit) override;
    void Watch_Ended(const Production_Totals&) override {}

    void Ended();
    double Seconds() const; // since "Avvia"
    void List_Built_In_Ports();
    // The next tile's widget, placed in the grid after the others.
    Station_Tile* Add_Tile_Widget();
    void Show_Tile(const Unit_Tile* tile);
    void Show_Tiles();
    void Show_State();

    const Program_Data& data_;
    Window_System& ws_;
    File_Dialog& dialog_;
    std::function<std::string()> configuration_;
    std::string image_file_;
    // The watch reads these while it runs: they change only between runs.
    Production_Options options_;
    std::vector<std::uint8_t> image_;
    std::unique_ptr<Qt_Production_Watch> watch_;
    Station_Model model_;
    std::vector<Station_Tile*> tiles_;
    QElapsedTimer clock_;
    bool close_after_stop_ = false;

    QLabel* lbl_Immagine;
    QLabel* lbl_Totali;
    QLabel* lbl_Stato;
    QPushButton* cmd_Avvia;
    QPushButton* cmd_Ferma;
    QPushButton* cmd_Pulisci;
    QPushButton* cmd_Immagine_File;
    QPushButton* cmd_Immagine_Finestra;
    QListWidget* lst_Porte_Interne;
    QLineEdit* txt_Registro;
    QGridLayout* tile_grid_;
};
