// Writes small GoPro and CAMM recordings, good and damaged, as the seed corpora of
// the track readers' fuzzers (needs ffmpeg).
#include <cstdio>
#include <filesystem>
#include <string>

#include "CammCamera.h"
#include "GoProCamera.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_track_seeds GOPRO_DIR CAMM_DIR\n");
        return 2;
    }
    const std::filesystem::path gopro = argv[1], camm = argv[2];
    std::filesystem::create_directories(gopro);
    std::filesystem::create_directories(camm);
    // The smallest video ffmpeg makes, so the fuzzer's mutations land in the telemetry.
    const testgen::BareVideo video{.seconds = 1, .width = 16, .height = 16, .fps = 1};
    int n = 0;
    const auto name = [&n](const std::filesystem::path& dir) {
        return (dir / ("seed_" + std::to_string(n++) + ".MP4")).string();
    };
    for (const int seconds : {1, 3}) {
        const auto drive = testgen::simulateDrivePoints(
            {.seconds = seconds, .startLat = -33.86, .startLon = -70.6, .noFixSeconds = seconds / 2});
        testgen::writeGoPro(name(gopro), {.drive = drive, .video = video, .fixesPerSecond = 18, .accelPerSecond = 20});
        testgen::writeGoPro(name(gopro), {.drive = drive, .video = video, .accelPerSecond = 20, .gps9 = true});
        testgen::writeGoPro(name(gopro), {.drive = drive, .video = video, .noTelemetry = true});
        testgen::writeCamm(name(camm), {.drive = drive, .video = video});
        testgen::writeCamm(name(camm), {.drive = drive, .video = video, .positionsOnly = true});
    }
    return 0;
}
