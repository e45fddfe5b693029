#pragma once
// A bare video given a camera's telemetry, written beside its target and renamed
// into place only when complete.

#include <functional>
#include <string>

#include "MovieEdit.h"

namespace testgen {

// Encodes a video of that many seconds, lets addTelemetry edit it, then renames it to
// path. Throws std::runtime_error (ffmpeg's or the edit's) and leaves nothing behind.
// With bareMovie, the movie box loses the user data that ffmpeg puts in it and no
// camera writes (a metadata handler, which also hides the boxes after the movie from
// exiftool).
void writeCameraFile(const std::string& path, int seconds, const std::function<void(mp4::MovieEdit&)>& addTelemetry,
                     bool bareMovie = false);

}  // namespace testgen
