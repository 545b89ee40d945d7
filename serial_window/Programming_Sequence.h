#pragma once

#include "Link_View.h"
#include "mod_RS232.h"

#include <functional>

// How a programming run ended; the sequence itself reports nothing, each step has told the user.
enum class Run_Outcome {
    Written,                // every block acknowledged and the reset acknowledged
    Compile_Failed,         // nothing sent
    Module_Not_Found,       // nothing written
    Write_Failed,           // a block was refused; the reset was still sent (unless the port went)
    Stopped,                // the user stopped (or aborted); no reset
    Reset_Not_Acknowledged, // image written, reset refused
    Busy,                   // a run was already under way; this click was ignored
};

// The serial window's buttons that a run disables.
class Sequence_View : public Link_View {
  public:
    virtual void Enable_Exit(bool enabled) = 0; // cmd_Exit
    virtual void Enable_OFF(bool enabled) = 0;  // cmd_OFF
};

// The click on cmd_Write_RS232: compile, find the module, write, reset.
class Programming_Sequence {
  public:
    Programming_Sequence(Program_Data& data, RS232_Link& link, Window_System& ws,
                         Sequence_View& view);

    Run_Outcome Run();
    bool Running() const { return running_; }

    // What fills EEPROM_Image at the start of a run: Compile_Images unless replaced, e.g. by a
    // step that loads an image compiled earlier.
    using Compile_Step = std::function<bool(Program_Data&, Window_System&)>;
    void Set_Compile_Step(Compile_Step step) { compile_ = std::move(step); }

  private:
    // Compile, find the unit, write; then the reset, unless the user stopped the write.
    Run_Outcome Program_Module();

    Program_Data& data_;
    RS232_Link& link_;
    Window_System& ws_;
    Sequence_View& view_;
    Compile_Step compile_;
    bool running_ = false;
};
