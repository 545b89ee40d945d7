#include "Picture_Box.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

namespace {

// The one local file being dragged, or an empty text.
QString Dragged_File(const QMimeData* mime) {
    const QList<QUrl> urls = mime ? mime->urls() : QList<QUrl>();
    return urls.size() == 1 && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
}

} // namespace

Picture_Box::Picture_Box(int width, int height, std::function<void(Mouse_Button)> on_mouse_down,
                         std::function<void(const std::string&)> on_drop)
    : on_mouse_down_(std::move(on_mouse_down)), on_drop_(std::move(on_drop)) {
    setAcceptDrops(true);
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

void Picture_Box::dragEnterEvent(QDragEnterEvent* event) {
    if (!Dragged_File(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void Picture_Box::dropEvent(QDropEvent* event) {
    const QString file = Dragged_File(event->mimeData());
    if (file.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    on_drop_(file.toStdString());
}
