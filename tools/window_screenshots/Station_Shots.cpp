#include "Screenshot_Support.h"

#include "Station_Window.h"

#include <QAction>
#include <QPushButton>

#include <algorithm>
#include <array>

namespace {

bool Any_Tile(const Station_Window& station, const std::function<bool(const Unit_Tile&)>& is) {
    const std::vector<Unit_Tile>& tiles = station.Model().Tiles();
    return std::any_of(tiles.begin(), tiles.end(), is);
}

} // namespace

bool Save_Station_Window(Program& vantrel, const QString& folder, const QString& module_sim) {
    vantrel.window->findChild<QAction*>(QStringLiteral("smnu_Stazione"))->trigger();
    Station_Window* station = vantrel.window->Station();
    // Written at once, written after a retry, and one whose line closes mid-run: it fails and
    // leaves, so its tile stays greyed.
    std::array<QProcess, 4> units;
    const QString line_rate = QStringLiteral("--line-rate");
    // At the line's own speed, so that the times are a real unit's.
    Start_Unit(units[0], module_sim, {line_rate});
    Start_Unit(units[1], module_sim,
               {line_rate, QStringLiteral("--lose-block"), QStringLiteral("100")});
    Start_Unit(units[2], module_sim,
               {line_rate, QStringLiteral("--close-after-block"), QStringLiteral("200")});
    station->findChild<QPushButton*>(QStringLiteral("cmd_Avvia"))->click();
    bool shown = Wait_For(
        [&] {
            return station->Model().Programmed() == 2 && station->Model().Failed() == 1 &&
                   Any_Tile(*station, [](const Unit_Tile& tile) { return !tile.Present; });
        },
        30000);
    // Plugged in last and slow to write: its tile is caught half way.
    Start_Unit(units[3], module_sim,
               {line_rate, QStringLiteral("--write-time"), QStringLiteral("30")});
    shown =
        Wait_For(
            [&] {
                return Any_Tile(*station, [](const Unit_Tile& tile) {
                    return tile.Status.Phase == Unit_Phase::Writing && tile.Status.Blocks >= 200;
                });
            },
            30000) &&
        shown;
    if (!shown) {
        std::cerr << "the station did not reach the pictured state" << std::endl;
    }
    const bool saved = Save(station, folder, QStringLiteral("station_units")) && shown;
    station->findChild<QPushButton*>(QStringLiteral("cmd_Ferma"))->click();
    Wait_For([&] { return !station->Running(); }, 10000);
    station->close();
    for (QProcess& unit : units) {
        unit.terminate();
        unit.waitForFinished(3000);
    }
    return saved;
}
