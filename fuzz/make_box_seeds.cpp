// Writes small BlackVue, 70mai and NMEA inputs from the generator's writers, good and
// with spoilt sentences, as the seed corpora of the camera readers' fuzzers.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "BlackVueCamera.h"
#include "Drive.h"
#include "Mp4Boxes.h"
#include "NmeaCamera.h"
#include "SeventyMaiCamera.h"

namespace {

void writeBoxes(const std::filesystem::path& path, const std::vector<mp4::Box>& boxes) {
    std::vector<uint8_t> bytes;
    for (const mp4::Box& b : boxes) b.appendTo(bytes);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A version-0 movie header with only its creation time set.
mp4::Box movie(uint64_t created) {
    return mp4::container("moov", {mp4::leaf("mvhd", mp4::Payload().u32(0).u32(uint32_t(created)).zeros(92))});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_box_seeds DIR (writes DIR/blackvue, DIR/70mai, DIR/nmea)\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    for (const char* sub : {"blackvue", "70mai", "nmea"}) std::filesystem::create_directories(dir / sub);
    const mp4::Box ftyp = mp4::leaf("ftyp", mp4::Payload().text("isom").u32(0x200).text("isomiso2avc1mp41"));
    int n = 0;
    for (int seconds : {1, 4, 9}) {
        testgen::DriveOptions d;
        d.seconds = seconds;
        d.noFixSeconds = seconds / 3;
        d.startLat = seconds % 2 ? -33.86 : 48.13;
        d.startLon = seconds % 2 ? -70.6 : 11.57;
        const auto points = testgen::simulateDrivePoints(d);
        const testgen::NmeaFaults faults{.badChecksum = {size_t(seconds / 2)}, .cut = {size_t(seconds - 1)}};
        const std::string name = "seed_" + std::to_string(n++);
        writeBoxes(dir / "blackvue" / name, {ftyp, testgen::blackVueBox(points), movie(0)});
        writeBoxes(dir / "blackvue" / (name + "_faults"),
                   {ftyp, testgen::blackVueBox(points, {.faults = faults, .startTime = false})});
        writeBoxes(dir / "70mai" / name,
                   {ftyp, movie(testgen::seventyMaiCreationTime(points)), testgen::seventyMaiBox(points)});
        writeBoxes(dir / "70mai" / (name + "_bare"), {testgen::seventyMaiBox(points, {.spareRecords = 0})});
        for (bool spoilt : {false, true}) {
            std::ofstream out(dir / "nmea" / (name + (spoilt ? "_faults" : "")), std::ios::binary);
            for (const std::string& s : testgen::nmeaSentences(points, spoilt ? faults : testgen::NmeaFaults{}))
                out << s << "\r\n";
        }
    }
    return 0;
}
