// Writes small Novatek recordings from the generator, good and damaged, as the
// Novatek fuzzer's seed corpus (needs ffmpeg).
#include <cstdio>
#include <filesystem>
#include <string>

#include "Drive.h"
#include "NovatekCamera.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_novatek_seeds DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    testgen::DriveOptions drive;
    drive.seconds = 3;
    drive.noFixSeconds = 1;
    drive.startLat = -33.86;
    const auto points = testgen::simulateDrivePoints(drive);
    testgen::NovatekOptions base;
    base.video = {.seconds = 1, .width = 16, .height = 16, .fps = 1};
    base.blockBytes = 96;
    int n = 0;
    auto put = [&](void (*change)(testgen::NovatekOptions&)) {
        testgen::NovatekOptions o = base;
        if (change) change(o);
        testgen::writeNovatek((dir / ("seed_" + std::to_string(n++) + ".mp4")).string(), points, o);
    };
    put(nullptr);
    put([](testgen::NovatekOptions& o) { o.index = false; });
    put([](testgen::NovatekOptions& o) { o.truncatedBlock = 1; });
    put([](testgen::NovatekOptions& o) { o.index = false, o.truncatedBlock = 1; });
    put([](testgen::NovatekOptions& o) { o.indexPastEnd = true; });
    put([](testgen::NovatekOptions& o) { o.countTooLarge = true; });
    put([](testgen::NovatekOptions& o) { o.blockBytes = 168, o.altitudeMetres = 312.5; });
    return 0;
}
