#include "Picture_Box.h"

#include <QMouseEvent>

Picture_Box::Picture_Box(int width, int height, std::function<void(Mouse_Button)> on_mouse_down)
    : on_mouse_down_(std::move(on_mouse_down)) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFixedSize(width + 2, height + 2);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
}

void Picture_Box::mousePressEvent(QMouseEvent* event) {
    switch (event->button()) {
    case Qt::LeftButton:
        on_mouse_down_(Mouse_Button::Left);
        break;
    case Qt::RightButton:
        on_mouse_down_(Mouse_Button::Right);
        break;
    case Qt::MiddleButton:
        on_mouse_down_(Mouse_Button::Middle);
        break;
    default:
        break;
    }
    event->accept();
}
