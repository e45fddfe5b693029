#pragma once
// Which files of a folder are recordings, for the viewer's folder opening and the
// command line alike.

#include <string>
#include <string_view>
#include <vector>

namespace telemetry {

// Whether a file of this name is taken as a recording, from a folder or a drop
// alike: it ends in ".mp4" or ".mov" (GoPro and others) in any case and is not hidden (a name starting with
// ".", such as the "._" twins a Mac writes).
bool isRecordingName(std::string_view name);

// A folder's direct entries that isRecordingName takes, hidden ones
// (a name starting with ".") left out, in byte order of their names, as full
// paths. An unreadable folder gives nothing.
std::vector<std::string> recordingsInFolder(const std::string& folder);

// Each argument that is a folder becomes its recordings; anything else stays a file.
std::vector<std::string> recordingPaths(const std::vector<std::string>& arguments);

}  // namespace telemetry
