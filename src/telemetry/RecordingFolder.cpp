#include "RecordingFolder.h"

#include <algorithm>
#include <string>

namespace telemetry {

bool isRecordingName(std::string_view name) {
    if (name.size() < 4 || name.front() == '.') return false;
    std::string extension(name.substr(name.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension == ".mp4" || extension == ".mov";
}

}  // namespace telemetry
