#include "Samples.h"

#include <filesystem>
#include <stdexcept>

#include "Drive.h"
#include "Files.h"
#include "GoProCamera.h"
#include "NovatekCamera.h"
#include "PlayableMp4.h"

namespace testgen {

void writeSampleRecordings(const std::string& dir) {
    // One drive cut into consecutive recordings, as a camera splits a trip, with
    // something for the event list to show.
    DriveOptions drive;
    drive.startSpeedKmh = 60.0;
    drive.incidents = kSampleIncidents;
    std::vector<int> lengths;
    for (const SampleRecording& r : kSampleRecordings) lengths.push_back(r.seconds);
    const std::vector<std::vector<DrivePoint>> recordings = cutDrivePoints(drive, lengths, 0);

    const BareVideo video{.seconds = 1, .width = 640, .height = 360, .fps = 10};
    writeFolderWhole(dir, [&](const std::filesystem::path& building) {
        for (size_t i = 0; i < recordings.size(); ++i) {
            const std::string path = (building / kSampleRecordings[i].name).string();
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
    });
}

}  // namespace testgen
