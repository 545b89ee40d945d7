#pragma once

#include "mod_Funzioni_Varie.h"

#include <QLabel>

#include <functional>

// One element of a model's picture-box array: shows its slot's bitmap at one screen pixel per
// image pixel inside a one-pixel border, and reports mouse presses with the button pressed.
class Picture_Box : public QLabel {
  public:
    Picture_Box(int width, int height, std::function<void(Mouse_Button)> on_mouse_down);

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    std::function<void(Mouse_Button)> on_mouse_down_;
};
