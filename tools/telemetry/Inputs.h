#pragma once
// The recordings a command line names: files as given, folders as the viewer opens
// them.

#include <string>
#include <vector>

namespace telemetry_cli {

// A folder's direct entries whose names end in ".mp4" in any case, hidden ones
// (a name starting with ".") left out, in byte order of their names, as full
// paths. An unreadable folder gives nothing.
std::vector<std::string> recordingsInFolder(const std::string& folder);

// Each argument that is a folder becomes its recordings; anything else stays a file.
std::vector<std::string> recordingPaths(const std::vector<std::string>& arguments);

}  // namespace telemetry_cli
