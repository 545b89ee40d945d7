#include "Screenshot_Support.h"

#include <QApplication>
#include <QElapsedTimer>

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

bool Save(QWidget* window, const QString& folder, const QString& name) {
    Settle();
    const QString path = folder + "/" + name + ".png";
    const bool saved = window->grab().save(path);
    std::cout << (saved ? "saved " : "could not save ") << path.toStdString() << std::endl;
    return saved;
}

QString Start_Unit(QProcess& unit, const QString& module_sim, const QStringList& options) {
    unit.start(module_sim, QStringList{QStringLiteral("--pty")} + options);
    while (unit.state() != QProcess::NotRunning && !unit.canReadLine()) {
        unit.waitForReadyRead(5000);
    }
    return QString::fromLocal8Bit(unit.readLine()).trimmed();
}

bool Wait_For(const std::function<bool()>& done, int ms) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}
