#pragma once

#include "Station_Model.h"

#include <QFrame>

class QLabel;
class QProgressBar;

// One unit of the station as a tile: its device and serial number, phase, progress, blocks,
// retries, outcome and time. Greyed once the unit has left.
class Station_Tile : public QFrame {
    Q_OBJECT

  public:
    explicit Station_Tile(QWidget* parent = nullptr);

    void Show(const Unit_Tile& tile, int total_blocks);

    std::size_t Unit() const { return unit_; }

  private:
    std::size_t unit_ = 0;
    QLabel* device_;
    QLabel* serial_;
    QLabel* phase_;
    QProgressBar* progress_;
    QLabel* counts_;
    QLabel* outcome_;
    QLabel* time_;
};

// "in ricerca", "scrittura", ... a unit's phase on its tile.
QString Italian_Phase(Unit_Phase phase);
