#pragma once

#include "mod_Funzioni_Varie.h"

#include <QLabel>

#include <functional>

#include <string>

// One element of a model's picture-box array: shows its slot's bitmap at one screen pixel per
// image pixel inside a one-pixel border, reports mouse presses with the button pressed, and
// takes a local file dropped on it.
class Picture_Box : public QLabel {
  public:
    Picture_Box(int width, int height, std::function<void(Mouse_Button)> on_mouse_down,
                std::function<void(const std::string&)> on_drop);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    std::function<void(Mouse_Button)> on_mouse_down_;
    std::function<void(const std::string&)> on_drop_;
};
