#include "Station_Tile.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QLabel* Line(QVBoxLayout* layout, const char* name) {
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    layout->addWidget(label);
    return label;
}

// Written green, failed red, stopped orange: what the operator sees from across the bench.
QString Outcome_Colour(Run_Outcome outcome) {
    switch (outcome) {
    case Run_Outcome::Written:
        return QStringLiteral("#1b7f1b");
    case Run_Outcome::Stopped:
    case Run_Outcome::Busy:
        return QStringLiteral("#c06000");
    default:
        return QStringLiteral("#c00000");
    }
}

} // namespace

QString Italian_Phase(Unit_Phase phase) {
    switch (phase) {
    case Unit_Phase::Opening:
        return QStringLiteral("apertura");
    case Unit_Phase::Finding:
        return QStringLiteral("ricerca del modulo");
    case Unit_Phase::Writing:
        return QStringLiteral("scrittura");
    case Unit_Phase::Resetting:
        return QStringLiteral("reset");
    case Unit_Phase::Ended:
        return QStringLiteral("finito");
    }
    return {};
}

Station_Tile::Station_Tile(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(230);
    auto* layout = new QVBoxLayout(this);
    device_ = Line(layout, "lbl_Device");
    device_->setStyleSheet(QStringLiteral("font-weight: bold"));
    serial_ = Line(layout, "lbl_Serial");
    phase_ = Line(layout, "lbl_Phase");
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("prg_Unit"));
    layout->addWidget(progress_);
    counts_ = Line(layout, "lbl_Counts");
    outcome_ = Line(layout, "lbl_Outcome");
    outcome_->setWordWrap(true);
    // Room for a reason of four lines, so that no tile squeezes its own.
    outcome_->setMinimumHeight(4 * outcome_->fontMetrics().lineSpacing());
    outcome_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    time_ = Line(layout, "lbl_Time");
}

void Station_Tile::Show(const Unit_Tile& tile, int total_blocks) {
    unit_ = tile.Unit;
    device_->setText(QString::fromStdString(tile.Device));
    serial_->setText(tile.Serial
                         ? QStringLiteral("N. serie %1").arg(QString::fromStdString(*tile.Serial))
                     : tile.Simulated ? QStringLiteral("unità simulata")
                                      : QStringLiteral("nessun numero di serie"));
    phase_->setText(Italian_Phase(tile.Status.Phase));
    progress_->setRange(0, total_blocks);
    progress_->setValue(std::min(tile.Status.Blocks, total_blocks));
    counts_->setText(QStringLiteral("Blocchi %1 di %2, ritrasmissioni %3")
                         .arg(tile.Status.Blocks)
                         .arg(total_blocks)
                         .arg(tile.Status.Retries));
    if (tile.Status.Outcome) {
        QString words = QString::fromUtf8(Outcome_Word(*tile.Status.Outcome));
        if (*tile.Status.Outcome != Run_Outcome::Written && !tile.Reason.empty()) {
            // A message of several lines reads as one sentence after another on a narrow tile.
            words +=
                QStringLiteral(": ") +
                QString::fromStdString(tile.Reason).replace(QLatin1Char('\n'), QLatin1Char(' '));
        }
        outcome_->setText(words);
        outcome_->setStyleSheet(QStringLiteral("font-weight: bold; color: %1")
                                    .arg(Outcome_Colour(*tile.Status.Outcome)));
        // "2024-05-17T09:41:07Z": the time of day is what tells the units apart on a bench.
        time_->setText(QStringLiteral("%1 s, alle %2 UTC")
                           .arg(tile.Seconds, 0, 'f', 1)
                           .arg(QString::fromStdString(tile.Finished.substr(
                               std::min<std::size_t>(11, tile.Finished.size()), 8))));
    } else {
        outcome_->setText(QStringLiteral("in corso"));
        outcome_->setStyleSheet({});
        time_->clear();
    }
    setEnabled(tile.Present);
}
