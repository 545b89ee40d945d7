#include "Edit_History.h"

Edit_State Edit_State_Of(const Program_Data& data) {
    Edit_State state;
    for (const Image_Table& table : data.Tables) {
        state.Slots.push_back(table.Slots);
    }
    state.Font_5x8 = data.Font_5x8_Columns;
    state.Font_10x16 = data.Font_10x16_Columns;
    return state;
}

void Edit_History::Reset(const Program_Data& data) {
    states_.assign(1, Edit_State_Of(data));
    position_ = 0;
}

bool Edit_History::Record(const Program_Data& data) {
    Edit_State now = Edit_State_Of(data);
    if (now == states_[position_]) {
        return false;
    }
    states_.resize(position_ + 1);
    states_.push_back(std::move(now));
    if (states_.size() > Step_Limit + 1) {
        states_.erase(states_.begin());
    }
    position_ = states_.size() - 1;
    return true;
}

bool Edit_History::Undo(Program_Data& data) {
    if (!Can_Undo()) {
        return false;
    }
    --position_;
    Restore(data);
    return true;
}

bool Edit_History::Redo(Program_Data& data) {
    if (!Can_Redo()) {
        return false;
    }
    ++position_;
    Restore(data);
    return true;
}

void Edit_History::Restore(Program_Data& data) const {
    const Edit_State& state = states_[position_];
    for (std::size_t m = 0; m < data.Tables.size() && m < state.Slots.size(); ++m) {
        data.Tables[m].Slots = state.Slots[m];
    }
    data.Font_5x8_Columns = state.Font_5x8;
    data.Font_10x16_Columns = state.Font_10x16;
}
