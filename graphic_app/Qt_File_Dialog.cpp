#include "Qt_File_Dialog.h"

#include <QFile>
#include <QFileDialog>

#include <algorithm>

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

namespace {

QString Selected_Filter(const QStringList& filters, int filter_index) {
    return filter_index >= 1 && filter_index <= filters.size() ? filters[filter_index - 1]
                                                               : QString();
}

} // namespace

std::optional<std::string> Qt_File_Dialog::Show_Open(const std::string& filter, int filter_index) {
    return Show_Open_In(filter, filter_index, {});
}

std::optional<std::string> Qt_File_Dialog::Show_Open_In(const std::string& filter, int filter_index,
                                                        const std::string& folder) {
    const QStringList filters = Qt_Filters(filter);
    QString selected = Selected_Filter(filters, filter_index);
    QString& last = last_choice_[QString::fromStdString(filter)];
    const QString start = folder.empty() ? last : QString::fromStdString(folder);
    const QString chosen = QFileDialog::getOpenFileName(
        parent_, QStringLiteral("Apri"), start, filters.join(QStringLiteral(";;")), &selected,
        QFileDialog::DontUseNativeDialog);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    last = chosen;
    return QFile::encodeName(chosen).toStdString();
}

std::optional<std::string> Qt_File_Dialog::Show_Save(const std::string& filter, int filter_index,
                                                     const std::string& suggested) {
    const QStringList filters = Qt_Filters(filter);
    QString& last = last_choice_[QString::fromStdString(filter)];
    QFileDialog dialog(parent_, QStringLiteral("Salva con nome"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(Selected_Filter(filters, filter_index));
    // A name typed without extension takes the preselected filter's: "*.bmp" gives "bmp".
    const QString pattern = QString::fromStdString(filter)
                                .section(QLatin1Char('|'), 2 * std::max(filter_index, 1) - 1,
                                         2 * std::max(filter_index, 1) - 1)
                                .trimmed()
                                .section(QLatin1Char(';'), 0, 0);
    if (pattern.startsWith(QStringLiteral("*.")) && pattern != QStringLiteral("*.*")) {
        dialog.setDefaultSuffix(pattern.mid(2));
    }
    dialog.selectFile(suggested.empty() ? last : QString::fromStdString(suggested));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    last = dialog.selectedFiles().front();
    return QFile::encodeName(last).toStdString();
}
