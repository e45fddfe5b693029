#pragma once
// Which files of a folder are recordings, for the viewer's folder opening and the
// command line alike.

#include <string>
#include <vector>

namespace telemetry {

// A folder's direct entries whose names end in ".mp4" in any case, hidden ones
// (a name starting with ".") left out, in byte order of their names, as full
// paths. An unreadable folder gives nothing.
std::vector<std::string> recordingsInFolder(const std::string& folder);

// Each argument that is a folder becomes its recordings; anything else stays a file.
std::vector<std::string> recordingPaths(const std::vector<std::string>& arguments);

}  // namespace telemetry
