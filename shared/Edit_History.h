#pragma once

#include "mod_variabili.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// What the user edits and can take back: every table's slots and both glyphs.
struct Edit_State {
    std::vector<std::array<Image_Slot, Slots_Per_Table>> Slots;
    std::array<std::uint8_t, 5> Font_5x8{};
    std::array<double, 10> Font_10x16{};

    bool operator==(const Edit_State&) const = default;
};

Edit_State Edit_State_Of(const Program_Data& data);

// The steps of undo and redo. Each step is one slot assignment or one glyph change, kept as the
// state after it, so undoing a step puts back the state the step started from. A new step after
// an undo drops the steps that were undone.
class Edit_History {
  public:
    // The oldest steps go beyond this many.
    static constexpr std::size_t Step_Limit = 100;

    explicit Edit_History(const Program_Data& data) { Reset(data); }

    // Forgets every step; the data as it stands is where undoing stops.
    void Reset(const Program_Data& data);
    // Takes what changed since the last step as a new step; false when nothing changed.
    bool Record(const Program_Data& data);
    // Put the slots and glyphs back as they were before (after) the step; false when there is
    // none to undo (redo), and the data is then untouched.
    bool Undo(Program_Data& data);
    bool Redo(Program_Data& data);

    bool Can_Undo() const { return position_ > 0; }
    bool Can_Redo() const { return position_ + 1 < states_.size(); }

  private:
    void Restore(Program_Data& data) const;

    std::vector<Edit_State> states_;
    std::size_t position_ = 0;
};
