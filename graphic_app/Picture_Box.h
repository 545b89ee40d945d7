#pragma once

#include "mod_Funzioni_Varie.h"

#include <QLabel>

#include <functional>

#include <string>

// One element of a model's picture-box array: shows its slot's bitmap at one screen pixel per
// image pixel inside a one-pixel border, reports mouse presses with the button pressed, and
// takes a local file dropped on it. A slot whose file could not be shown carries a red corner
// with "!" over the picture standing in for it.
class Picture_Box : public QLabel {
  public:
    Picture_Box(int width, int height, std::function<void(Mouse_Button)> on_mouse_down,
                std::function<void(const std::string&)> on_drop);

    void Show(const QPixmap& picture, bool refused, const QString& tooltip);
    bool Refused() const { return refused_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    std::function<void(Mouse_Button)> on_mouse_down_;
    std::function<void(const std::string&)> on_drop_;
    bool refused_ = false;
};
