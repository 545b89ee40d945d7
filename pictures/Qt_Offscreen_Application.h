#pragma once

#include <QGuiApplication>

#include <array>

// The application object of a program without windows that still draws pictures. Qt lays out
// the text of an SVG picture with its font database, which only a QGuiApplication provides
// (without one the SVG reader aborts the program). It runs on the offscreen platform, whatever
// the environment says: it needs no display, never shows a window, and finds the same fonts
// through fontconfig as the desktop programs do, so a picture is drawn alike in both.
class Qt_Offscreen_Application {
  public:
    // `program` is the program's own argv[0]; the caller's other arguments stay its own.
    explicit Qt_Offscreen_Application(char* program);

  private:
    char platform_option_[10] = "-platform";
    char platform_name_[10] = "offscreen";
    std::array<char*, 4> argv_;
    int argc_ = 3;
    // Qt's notes about the environment while the platform starts (no XDG_RUNTIME_DIR, say) are
    // not the command's output; its errors still reach stderr.
    QtMessageHandler usual_handler_;
    QGuiApplication application_;
};
