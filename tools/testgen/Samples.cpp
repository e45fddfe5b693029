#include "Samples.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "Drive.h"
#include "Files.h"
#include "GoProCamera.h"
#include "NovatekCamera.h"
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
    const std::vector<std::vector<DrivePoint>> recordings = cutDrivePoints(drive, lengths, 0);

    TempDir building(target.parent_path() / std::string(".").append(target.filename().string()).append(".tmp-XXXXXX"));
    const BareVideo video{.seconds = 1, .width = 640, .height = 360, .fps = 10};
    for (size_t i = 0; i < recordings.size(); ++i) {
        const std::string path = (building.path() / kSampleRecordings[i].name).string();
        switch (kSampleRecordings[i].camera) {
            case SampleRecording::TextTrack: {
                PlayableOptions options;
                for (const DrivePoint& p : recordings[i]) options.lines.push_back(timedTextLine(p));
                options.width = video.width, options.height = video.height, options.fps = video.fps;
                writePlayable(path, options);
                break;
            }
            case SampleRecording::GoPro: writeGoPro(path, {.drive = recordings[i], .video = video}); break;
            case SampleRecording::Novatek: {
                NovatekOptions options;
                options.video = video;
                writeNovatek(path, recordings[i], options);
                break;
            }
        }
    }
    fs::permissions(building.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
    if (std::rename(building.path().c_str(), target.c_str()) != 0)
        throw std::runtime_error("cannot create " + target.string() + ": " + std::strerror(errno));
    building.release();
}

}  // namespace testgen
