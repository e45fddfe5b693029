#pragma once
// Which files are recordings, for the viewer's folder opening, its drops and the
// command line alike (the folders themselves are walked by card::recordingsOnCard).

#include <string_view>

namespace telemetry {

// Whether a file of this name is taken as a recording, from a folder or a drop
// alike: it ends in ".mp4" or ".mov" (GoPro and others) in any case and is not hidden (a name starting with
// ".", such as the "._" twins a Mac writes).
bool isRecordingName(std::string_view name);

}  // namespace telemetry
