#pragma once

#include <QColor>
#include <QString>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <vector>

// What the traffic log shows: one entry per line with its text and the one colour of all its
// characters (invalid when a line mixes colours).
struct Shown_Line {
    QString Text;
    QColor Colour;
};

inline std::vector<Shown_Line> Shown_Lines(QTextEdit* log) {
    std::vector<Shown_Line> lines;
    for (QTextBlock block = log->document()->begin(); block.isValid(); block = block.next()) {
        Shown_Line line{block.text(), QColor()};
        bool first = true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QColor colour = it.fragment().charFormat().foreground().color();
            if (first) {
                line.Colour = colour;
                first = false;
            } else if (colour != line.Colour) {
                line.Colour = QColor();
            }
        }
        lines.push_back(line);
    }
    return lines;
}
