#include "Qt_File_Dialog.h"

#include <QFileDialog>

QStringList Qt_Filters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString shown_patterns = QStringLiteral("(%1)").arg(patterns);
        filters << (description.endsWith(shown_patterns)
                        ? description
                        : QStringLiteral("%1 %2").arg(description, shown_patterns));
    }
    return filters;
}

std::optional<std::string> Qt_File_Dialog::Show_Open(const std::string& filter, int filter_index) {
    const QStringList filters = Qt_Filters(filter);
    QString selected =
        filter_index >= 1 && filter_index <= filters.size() ? filters[filter_index - 1] : QString();
    const QString chosen =
        QFileDialog::getOpenFileName(parent_, QStringLiteral("Apri"), last_choice_,
                                     filters.join(QStringLiteral(";;")), &selected);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    last_choice_ = chosen;
    return chosen.toStdString();
}

std::optional<std::string> Qt_File_Dialog::Show_Save(const std::string& filter,
                                                     const std::string& suggested) {
    const QStringList filters = Qt_Filters(filter);
    QFileDialog dialog(parent_, QStringLiteral("Salva"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    // A name typed without extension takes the first filter's: "*.bmp" gives "bmp".
    const QString pattern = QString::fromStdString(filter)
                                .section(QLatin1Char('|'), 1, 1)
                                .trimmed()
                                .section(QLatin1Char(';'), 0, 0);
    if (pattern.startsWith(QStringLiteral("*.")) && pattern != QStringLiteral("*.*")) {
        dialog.setDefaultSuffix(pattern.mid(2));
    }
    dialog.selectFile(QString::fromStdString(suggested));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}
