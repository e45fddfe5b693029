#pragma once
// Whether a recording has a picture at all: a camera's file can keep its telemetry
// track while the video track is lost.

#include <optional>
#include <string>

namespace mp4 {

// Whether the MP4 file at the path (the file system's bytes) has a track whose
// handler is "vide"; nullopt when its boxes cannot be walked (cut short, not an MP4).
std::optional<bool> hasVideoTrack(const std::string& path);

}  // namespace mp4
