#include "Slot_File_Watch.h"

#include <QFileInfo>

Slot_File_Watch::Slot_File_Watch(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(Settle_Ms);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
            qOverload<>(&QTimer::start));
    connect(&settle_, &QTimer::timeout, this, [this] {
        // A file renamed over or removed has left the watch; it comes back once it is there.
        Rearm();
        emit Files_Changed();
    });
}

void Slot_File_Watch::Watch(const std::vector<std::string>& paths) {
    files_.clear();
    for (const std::string& path : paths) {
        const QString file = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
        if (!files_.contains(file)) {
            files_.push_back(file);
        }
    }
    Rearm();
}

void Slot_File_Watch::Rearm() {
    QStringList folders;
    for (const QString& file : files_) {
        const QString folder = QFileInfo(file).absolutePath();
        if (!folders.contains(folder)) {
            folders.push_back(folder);
        }
    }
    for (const QStringList& watched : {watcher_.files(), watcher_.directories()}) {
        if (!watched.isEmpty()) {
            watcher_.removePaths(watched);
        }
    }
    for (const QStringList& wanted : {files_, folders}) {
        for (const QString& path : wanted) {
            if (QFileInfo::exists(path)) {
                watcher_.addPath(path);
            }
        }
    }
}
