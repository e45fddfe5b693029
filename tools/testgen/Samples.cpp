#include "Samples.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "Drive.h"
#include "Files.h"
#include "PlayableMp4.h"

namespace testgen {

void writeSampleRecordings(const std::string& dir) {
    namespace fs = std::filesystem;
    fs::path target = fs::absolute(dir).lexically_normal();
    if (!target.has_filename()) target = target.parent_path();  // "samples/" names samples
    if (fs::exists(target) && !fs::is_empty(target))
        throw std::runtime_error(target.string() + " already exists and is not empty");

    // One drive cut into consecutive recordings, as a camera splits a trip, with
    // something for the event list to show.
    DriveOptions drive;
    drive.startSpeedKmh = 60.0;
    drive.incidents = kSampleIncidents;
    std::vector<int> lengths;
    for (const SampleRecording& r : kSampleRecordings) lengths.push_back(r.seconds);
    const std::vector<std::vector<std::string>> recordings = cutDrive(drive, lengths, 0);

    TempDir building(target.parent_path() / std::string(".").append(target.filename().string()).append(".tmp-XXXXXX"));
    for (size_t i = 0; i < recordings.size(); ++i) {
        PlayableOptions options;
        options.lines = recordings[i];
        options.width = 640;
        options.height = 360;
        options.fps = 10;
        writePlayable((building.path() / kSampleRecordings[i].name).string(), options);
    }
    fs::permissions(building.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
    if (std::rename(building.path().c_str(), target.c_str()) != 0)
        throw std::runtime_error("cannot create " + target.string() + ": " + std::strerror(errno));
    building.release();
}

}  // namespace testgen
