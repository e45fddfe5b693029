// Writes small generator recordings, good and damaged, as the fuzzer's seed corpus.
#include <cstdio>
#include <filesystem>
#include <string>

#include "Drive.h"
#include "SyntheticMp4.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    int n = 0;
    auto put = [&](testgen::SyntheticOptions o) {
        o.videoBytesPerSample = 16;
        o.trailer = o.trailer ? o.trailer : 16;
        testgen::writeSynthetic((dir / ("seed_" + std::to_string(n++) + ".MP4")).string(), o);
    };
    for (int seconds : {1, 3, 7, 12}) {
        testgen::DriveOptions d;
        d.seconds = seconds;
        d.noFixSeconds = seconds / 3;
        d.startLat = seconds % 2 ? -33.86 : 48.13;
        d.startLon = seconds % 2 ? -70.6 : 11.57;
        testgen::SyntheticOptions o;
        for (const auto& l : testgen::simulateDrive(d)) o.samples.push_back(testgen::timedTextSample(l));
        o.duration = uint32_t(seconds) * 1000;
        put(o);
        o.marker = false;
        put(o);
        o.marker = true;
        o.mdatInHeader = false;
        put(o);
    }
    // Over an hour: the chunk-offset table lies beyond the 15,000 bytes after the marker.
    testgen::DriveOptions d;
    d.seconds = 3800;
    testgen::SyntheticOptions o;
    for (const auto& l : testgen::simulateDrive(d)) o.samples.push_back(testgen::timedTextSample(l));
    o.duration = 3800000;
    put(o);
    return 0;
}
