#include "Batches.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

QStringList recordingsInFolder(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                               QDir::Unsorted);
    // The file system's own order is hash order on Linux; rows and the next
    // recording to play follow the names instead, compared as bytes.
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return QFile::encodeName(a) < QFile::encodeName(b); });
    QStringList paths;
    for (const QString& name : names)
        if (name.contains(QLatin1String(".MP4"))) paths.append(folder + QLatin1Char('/') + name);
    return paths;
}

QStringList batchForChoice(const QStringList& chosen) {
    if (chosen.isEmpty()) return {};
    if (QFileInfo(chosen.first()).isDir()) return recordingsInFolder(chosen.first());
    return chosen;
}

QStringList droppedFiles(const QList<QUrl>& urls) {
    QStringList paths;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).isFile()) paths.append(path);
    }
    return paths;
}

bool isSupportedDrop(const QString& firstPath) { return QFileInfo(firstPath).suffix() == QLatin1String("MP4"); }
