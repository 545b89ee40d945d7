#include "Italian_Desktop.h"

#include <QApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <cstdlib>

namespace {

// The few texts of Qt's widgets that its Italian translation leaves in English, by their
// context and source text.
class Missing_Qt_Texts : public QTranslator {
  public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        return Texts.value(QLatin1String(context) + QLatin1Char('|') + QLatin1String(source));
    }
    bool isEmpty() const override { return false; }

  private:
    const QHash<QString, QString> Texts{
        {QStringLiteral("QAbstractFileIconProvider|Folder"), QStringLiteral("Cartella")},
    };
};

} // namespace

void Choose_Italian_Locale() {
    // The C library keeps the desktop's own locale, so that its character encoding stays
    // whatever Qt found there, also where no Italian locale is installed.
    std::setlocale(LC_ALL, "");
    ::setenv("LC_ALL", "it_IT.UTF-8", 1);
    ::setenv("LANGUAGE", "it_IT:it", 1);
}

void Install_Italian_Texts(QApplication& application) {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    auto* qt_texts = new QTranslator(&application);
    if (qt_texts->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(qt_texts);
    }
    // Installed last, so asked first; it knows only what Qt's own file lacks.
    QApplication::installTranslator(new Missing_Qt_Texts(&application));
}
