#include "Batches.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
fs::path fsPath(const QByteArray& bytes) { return fs::path(bytes.toStdString()); }

bool isRecordingName(const std::string& name) {
    static constexpr std::string_view kExtension = ".mp4";
    if (name.empty() || name.front() == '.' || name.size() <= kExtension.size()) return false;
    return std::equal(kExtension.begin(), kExtension.end(), name.end() - std::ptrdiff_t(kExtension.size()),
                      [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? char(b - 'A' + 'a') : b); });
}
}  // namespace

QByteArrayList recordingsInFolder(const QByteArray& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(fsPath(folder), error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().native();
        if (isRecordingName(name)) names.push_back(std::move(name));
    }
    // The file system's own order is hash order on Linux; rows and the next
    // recording to play follow the names instead, compared as bytes.
    std::sort(names.begin(), names.end());
    QByteArrayList paths;
    for (const std::string& name : names) paths.append(folder + '/' + QByteArray::fromStdString(name));
    return paths;
}

QByteArrayList batchForChoice(const QByteArrayList& chosen) {
    if (chosen.isEmpty()) return {};
    std::error_code error;
    if (fs::is_directory(fsPath(chosen.first()), error)) return recordingsInFolder(chosen.first());
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
    const QByteArray name = firstPath.mid(firstPath.lastIndexOf('/') + 1);
    const qsizetype dot = name.lastIndexOf('.');
    return dot >= 0 && name.mid(dot + 1) == "MP4";
}
