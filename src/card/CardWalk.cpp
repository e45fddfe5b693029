#include "CardWalk.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include "CardNames.h"
#include "RecordingFolder.h"

namespace card {
namespace {

namespace fs = std::filesystem;

bool isDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// GoPro numbers the chapter before the recording (GX 01 0123); the key puts the
// recording first. The older names: GOPR0123 is the first chapter, GP010123 the next.
std::string orderKey(std::string_view name) {
    if (name.size() < 8 || (name.size() > 8 && name[8] != '.')) return std::string(name);
    const std::string head = upperCase(name.substr(0, 4));
    const std::string_view rest = name.substr(8);
    if (head == "GOPR" && isDigits(name.substr(4, 4)))
        return std::string("GP").append(name.substr(4, 4)).append("00").append(rest);
    if (head[0] == 'G' && std::string_view("XHLP").find(head[1]) != std::string_view::npos &&
        isDigits(name.substr(2, 6)))
        return std::string(name.substr(0, 2)).append(name.substr(4, 4)).append(name.substr(2, 2)).append(rest);
    return std::string(name);
}

std::vector<std::string_view> components(std::string_view path) {
    std::vector<std::string_view> out;
    for (size_t start = 0;;) {
        const size_t slash = path.find('/', start);
        out.push_back(path.substr(start, slash - start));
        if (slash == std::string_view::npos) return out;
        start = slash + 1;
    }
}

class Walk {
public:
    explicit Walk(int maxDepth) : maxDepth_(maxDepth) {}

    void folder(const fs::path& dir, const std::string& relative, int depth) {
        struct stat st {};
        // A symbolic link may lead back up or to a folder already walked.
        if (::stat(dir.c_str(), &st) != 0 || !seen_.insert({st.st_dev, st.st_ino}).second) return;
        std::error_code error;
        for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            std::error_code typeError;
            if (telemetry::isRecordingName(name)) found_.push_back(relative + name);
            else if (depth < maxDepth_ && !isSkippedFolder(name) && it->is_directory(typeError))
                folder(it->path(), relative + name + '/', depth + 1);
        }
    }
    std::vector<std::string>& found() { return found_; }

private:
    int maxDepth_;
    std::set<std::pair<dev_t, ino_t>> seen_;
    std::vector<std::string> found_;
};

}  // namespace

bool isSkippedFolder(std::string_view name) {
    if (name.empty() || name.front() == '.') return true;  // .Trashes, .Spotlight-V100, .fseventsd
    static const std::set<std::string, std::less<>> kSystem = {"SYSTEM VOLUME INFORMATION", "$RECYCLE.BIN", "RECYCLER",
                                                               "RECYCLED", "LOST.DIR", "FOUND.000", "$EXTEND"};
    return kSystem.contains(upperCase(name));
}

bool comesBefore(std::string_view a, std::string_view b) {
    const std::vector<std::string_view> left = components(a), right = components(b);
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                        [](std::string_view x, std::string_view y) { return orderKey(x) < orderKey(y); });
}

std::vector<std::string> recordingsOnCard(const std::string& folder, int maxDepth) {
    Walk walk(maxDepth);
    walk.folder(folder, {}, 0);
    std::vector<std::string>& paths = walk.found();
    std::sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) { return comesBefore(a, b); });
    const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
    for (std::string& path : paths) path.insert(0, prefix);
    return paths;
}

}  // namespace card
