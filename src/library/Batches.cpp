#include "Batches.h"

#include "CardWalk.h"
#include "RecordingFolder.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
fs::path fsPath(const QByteArray& bytes) { return fs::path(bytes.toStdString()); }
}  // namespace

QByteArrayList recordingsInFolder(const QByteArray& folder) {
    QByteArrayList paths;
    for (const std::string& path : card::recordingsOnCard(folder.toStdString()))
        paths.append(QByteArray::fromStdString(path));
    return paths;
}

QByteArray openedFolder(const QByteArrayList& chosen) {
    std::error_code error;
    return !chosen.isEmpty() && fs::is_directory(fsPath(chosen.first()), error) ? chosen.first() : QByteArray();
}

QByteArrayList batchForChoice(const QByteArrayList& chosen) {
    if (const QByteArray folder = openedFolder(chosen); !folder.isEmpty()) return recordingsInFolder(folder);
    return chosen;
}

QByteArrayList droppedFiles(const QList<QUrl>& urls) {
    QByteArrayList paths;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        // The encoded path keeps a name's bytes that toLocalFile() would decode as UTF-8.
        const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        std::error_code error;
        if (fs::is_regular_file(fsPath(path), error)) paths.append(path);
    }
    return paths;
}

bool isSupportedDrop(const QByteArray& firstPath) {
    return telemetry::isRecordingName(firstPath.mid(firstPath.lastIndexOf('/') + 1).toStdString());
}
