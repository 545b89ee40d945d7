#pragma once

#include "Port_Entry.h"
#include "Production_Record.h"
#include "Production_Status.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// One unit of a watch as a station shows it: a tile in a window, a line on the command line.
struct Unit_Tile {
    std::size_t Unit = 0;
    std::string Device;
    std::optional<std::string> Serial; // the adapter's USB serial number, when it has one
    bool Simulated = false;
    Unit_Status Status;   // the port as named, phase, blocks, retries; the outcome once ended
    std::string Reason;   // what the unit's steps last told the user (why it failed)
    double Seconds = 0;   // of the run, once ended
    std::string Finished; // UTC, once ended
    bool Present = true;  // false once the unit has left: drawn greyed
};

// The tiles of a watch's units, in the order they appeared, and the running totals; fed with the
// watch's unit events, drawn by the command line and by a window.
class Station_Model {
  public:
    // Each returns the tile it changed, valid until the next change; none for a unit it does not
    // hold. `now`: seconds since the watch started.
    const Unit_Tile& Unit_Started(std::size_t unit, const Port_Entry& port,
                                  const std::string& named);
    const Unit_Tile* Unit_Changed(const Unit_Event& event, double now);
    const Unit_Tile* Unit_Recorded(std::size_t unit, const Unit_Record& record);
    const Unit_Tile* Unit_Left(std::size_t unit);
    // Drops the tiles of the units that have left; the totals stay.
    void Clear();

    const std::vector<Unit_Tile>& Tiles() const { return tiles_; }
    const Unit_Tile* Tile(std::size_t unit) const;
    int Programmed() const { return programmed_; }
    int Failed() const { return failed_; }

  private:
    Unit_Tile* Find(std::size_t unit);

    std::vector<Unit_Tile> tiles_;
    int programmed_ = 0;
    int failed_ = 0;
};

// "Total: 3 programmed, 1 failed"
std::string Totals_Line(const Station_Model& model);
