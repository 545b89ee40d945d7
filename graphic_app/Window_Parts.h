#pragma once

// Small pieces the main window's pages are built from.
#include <QGroupBox>
#include <QHBoxLayout>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>

#include <string>

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

inline QGroupBox* Frame(const char* name, const char* caption) {
    auto* frame = new QGroupBox(QString::fromUtf8(caption));
    frame->setObjectName(QString::fromUtf8(name));
    return frame;
}

// A tab page that keeps its frame at the top left at its natural size.
inline QWidget* Page_Holding(QWidget* frame) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    row->addWidget(frame);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);
    return page;
}

// Shows a window that may be hidden or behind others, in front and with the focus.
inline void Bring_Forward(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}
