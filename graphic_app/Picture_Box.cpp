#include "Picture_Box.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

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

void Picture_Box::Show(const QPixmap& picture, bool refused, const QString& tooltip) {
    setPixmap(picture);
    setToolTip(tooltip);
    refused_ = refused;
    update();
}

void Picture_Box::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!refused_) {
        return;
    }
    constexpr int Side = 20;
    QPainter paint(this);
    QPainterPath corner;
    corner.moveTo(width() - Side, 0);
    corner.lineTo(width(), 0);
    corner.lineTo(width(), Side);
    corner.closeSubpath();
    paint.fillPath(corner, QColor(200, 0, 0));
    paint.setPen(Qt::white);
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(9);
    paint.setFont(bold);
    paint.drawText(QRect(width() - Side / 2, 1, Side / 2 - 1, Side / 2), Qt::AlignCenter,
                   QStringLiteral("!"));
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
