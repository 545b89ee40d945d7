#include "Station_Model.h"

#include <algorithm>
#include <utility>

const Unit_Tile& Station_Model::Unit_Started(std::size_t unit, const Port_Entry& port,
                                             const std::string& named) {
    Unit_Tile& tile = tiles_.emplace_back();
    tile.Unit = unit;
    tile.Device = port.Device;
    if (!port.Serial_Number.empty()) {
        tile.Serial = port.Serial_Number;
    }
    tile.Simulated = port.Simulated_Pid != 0;
    tile.Status.Port = named;
    return tile;
}

const Unit_Tile* Station_Model::Unit_Changed(const Unit_Event& event, double now) {
    Unit_Tile* tile = Find(event.Unit);
    if (tile != nullptr) {
        tile->Status.Apply(event, now);
        if (event.What == Unit_Event::Kind::Message) {
            tile->Reason = event.Text;
        }
    }
    return tile;
}

const Unit_Tile* Station_Model::Unit_Recorded(std::size_t unit, const Unit_Record& record) {
    Unit_Tile* tile = Find(unit);
    if (tile != nullptr) {
        tile->Status.Outcome = record.Outcome;
        tile->Seconds = record.Seconds;
        tile->Finished = record.Finished;
    }
    ++(record.Outcome == Run_Outcome::Written ? programmed_ : failed_);
    return tile;
}

const Unit_Tile* Station_Model::Unit_Left(std::size_t unit) {
    Unit_Tile* tile = Find(unit);
    if (tile != nullptr) {
        tile->Present = false;
    }
    return tile;
}

void Station_Model::Clear() {
    std::erase_if(tiles_, [](const Unit_Tile& tile) { return !tile.Present; });
}

const Unit_Tile* Station_Model::Tile(std::size_t unit) const {
    const auto found = std::find_if(tiles_.begin(), tiles_.end(),
                                    [unit](const Unit_Tile& tile) { return tile.Unit == unit; });
    return found == tiles_.end() ? nullptr : &*found;
}

Unit_Tile* Station_Model::Find(std::size_t unit) {
    return const_cast<Unit_Tile*>(std::as_const(*this).Tile(unit));
}

std::string Totals_Line(const Station_Model& model) {
    return "Total: " + std::to_string(model.Programmed()) + " programmed, " +
           std::to_string(model.Failed()) + " failed";
}
