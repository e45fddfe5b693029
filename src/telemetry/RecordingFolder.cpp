#include "RecordingFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace telemetry {

bool isRecordingName(std::string_view name) {
    if (name.size() < 4 || name.front() == '.') return false;
    std::string extension(name.substr(name.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension == ".mp4" || extension == ".mov";
}

std::vector<std::string> recordingsInFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (isRecordingName(name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());  // std::string compares as bytes
    const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
    for (std::string& name : names) name = prefix + name;
    return names;
}

std::vector<std::string> recordingPaths(const std::vector<std::string>& arguments) {
    std::vector<std::string> paths;
    for (const std::string& argument : arguments) {
        std::error_code error;
        if (std::filesystem::is_directory(argument, error)) {
            const std::vector<std::string> inFolder = recordingsInFolder(argument);
            paths.insert(paths.end(), inFolder.begin(), inFolder.end());
        } else {
            paths.push_back(argument);
        }
    }
    return paths;
}

}  // namespace telemetry
