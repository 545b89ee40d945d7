#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <string>
#include <vector>

// Tells when a file that a slot names is written, replaced, removed or comes back. It watches the
// folders as well as the files: a program that saves by renaming a new file over the old one
// (as "Salva e usa" does) ends the watch on the old file. A burst of changes is told once, a
// moment after the last of them, so a file is read when its writer has done.
class Slot_File_Watch : public QObject {
    Q_OBJECT

  public:
    static constexpr int Settle_Ms = 150;

    explicit Slot_File_Watch(QObject* parent = nullptr);

    // Watches these files from now on, instead of the ones before.
    void Watch(const std::vector<std::string>& paths);

  signals:
    void Files_Changed();

  private:
    void Rearm();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    QStringList files_;
};
