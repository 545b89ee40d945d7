#pragma once

#include "Link_View.h"

// The link belongs to the main window and outlives any one serial window; it writes through
// this relay into whichever serial window is loaded, and into nothing while none is.
class Link_View_Relay : public Link_View {
  public:
    void Set_Target(Link_View* target) { target_ = target; }
    Link_View* Target() const { return target_; }

    std::string Log_Text() override { return target_ ? target_->Log_Text() : std::string(); }
    void Set_Log_Text(const std::string& text) override {
        if (target_) {
            target_->Set_Log_Text(text);
        }
    }
    void Set_Log_Colour(std::size_t start, std::size_t length, std::uint32_t colour) override {
        if (target_) {
            target_->Set_Log_Colour(start, length, colour);
        }
    }
    std::string Counter_Text(Counter which) override {
        return target_ ? target_->Counter_Text(which) : std::string();
    }
    void Set_Counter_Text(Counter which, const std::string& text) override {
        if (target_) {
            target_->Set_Counter_Text(which, text);
        }
    }
    void Set_Progress(double value) override {
        if (target_) {
            target_->Set_Progress(value);
        }
    }
    void Attempt_Started(const Link_Attempt& attempt) override {
        if (target_) {
            target_->Attempt_Started(attempt);
        }
    }

  private:
    Link_View* target_ = nullptr;
};
