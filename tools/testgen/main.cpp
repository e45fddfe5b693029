// dashcam-testgen: writes the project's test recordings.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <filesystem>
#include <string>
#include <string_view>

#include "BlackVueCamera.h"
#include "Card.h"
#include "CammCamera.h"
#include "Drive.h"
#include "GoProCamera.h"
#include "NmeaCamera.h"
#include "NovatekCamera.h"
#include "PlayableMp4.h"
#include "Samples.h"
#include "SeventyMaiCamera.h"
#include "SyntheticMp4.h"

namespace {

constexpr const char* kUsage =
    "usage: dashcam-testgen synthetic FILE [SECONDS]   byte-level dashcam file (placeholder video)\n"
    "       dashcam-testgen playable FILE [SECONDS]    playable H.264 recording (needs ffmpeg)\n"
    "       dashcam-testgen nmea FILE [SECONDS]        H.264 video (needs ffmpeg) and its NMEA log beside it\n"
    "                                                  (FILE's base name .nmea)\n"
    "       dashcam-testgen nmea-track FILE [SECONDS]  H.264 video (needs ffmpeg) with NMEA sentences in a text track\n"
    "       dashcam-testgen blackvue FILE [SECONDS]    H.264 BlackVue recording (needs ffmpeg)\n"
    "       dashcam-testgen 70mai FILE [SECONDS]       H.264 70mai recording (needs ffmpeg)\n"
    "       dashcam-testgen novatek FILE [SECONDS]     playable recording with Novatek freeGPS blocks\n"
    "                                                  and their index (needs ffmpeg)\n"
    "       dashcam-testgen gopro FILE [SECONDS]       GoPro recording: GPMF track, 18 fixes a second (needs ffmpeg)\n"
    "       dashcam-testgen camm FILE [SECONDS]        CAMM recording: a GPS record a second (needs ffmpeg)\n"
    "       dashcam-testgen samples DIR                the three bundled sample recordings\n"
    "       dashcam-testgen trip DIR COUNT [SECONDS [GAP]]\n"
    "                                                  one drive cut into COUNT byte-level recordings\n"
    "                                                  of SECONDS each, GAP seconds (default 0) not\n"
    "                                                  recorded between two, a hard braking mid-way\n"
    "                                                  through the second recording\n"
    "       dashcam-testgen card FAMILY DIR [SECONDS] a card's tree as a camera of FAMILY writes it:\n"
    "                                                  novatek (DCIM/Movie, RO, Parking; ...F/...R.MP4),\n"
    "                                                  blackvue (Record/..._NF/_NR/_EF/_ER/_PF.mp4),\n"
    "                                                  70mai (Normal, Event, Parking with Front and Back)\n"
    "                                                  or gopro (DCIM/100GOPRO, chapters); rear\n"
    "                                                  channels show colour bars and carry no telemetry\n"
    "                                                  (needs ffmpeg; SECONDS per recording, default 3)\n"
    "SECONDS defaults to 60.\n";

struct UsageError {
    std::string message;
};

int parseWhole(const char* name, std::string_view text, int least) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < least)
        throw UsageError{std::string(name) + (least > 0 ? " must be a positive whole number, not '"
                                                         : " must be a whole number, not '") +
                         std::string(text) + "'"};
    return value;
}

int parseSeconds(int argc, char** argv, int at = 3) { return argc <= at ? 60 : parseWhole("SECONDS", argv[at], 1); }

void trip(const char* dir, int count, int seconds, int gap) {
    testgen::DriveOptions drive;
    drive.startSpeedKmh = 60;
    // Mid-way through the second recording (the first when there is only one).
    drive.incidents = {{testgen::Incident::Braking, (count > 1 ? seconds + gap : 0) + seconds / 2}};
    const auto recordings = testgen::cutDrive(drive, std::vector<int>(size_t(count), seconds), gap);
    std::filesystem::create_directories(dir);
    for (size_t i = 0; i < recordings.size(); ++i) {
        testgen::SyntheticOptions o;
        for (const std::string& line : recordings[i]) o.samples.push_back(testgen::timedTextSample(line));
        o.duration = uint32_t(seconds) * 1000;
        char name[32];
        std::snprintf(name, sizeof name, "REC_%04zu.MP4", i + 1);
        testgen::writeSynthetic((std::filesystem::path(dir) / name).string(), o);
    }
}

void synthetic(const char* path, int seconds) {
    testgen::DriveOptions drive;
    drive.seconds = seconds;
    testgen::SyntheticOptions o;
    for (const std::string& line : testgen::simulateDrive(drive)) o.samples.push_back(testgen::timedTextSample(line));
    o.duration = uint32_t(seconds) * 1000;
    testgen::writeSynthetic(path, o);
}

void novatek(const char* path, int seconds) {
    testgen::DriveOptions drive;
    drive.seconds = seconds;
    testgen::writeNovatek(path, testgen::simulateDrivePoints(drive));
}

void playable(const char* path, int seconds) {
    testgen::DriveOptions drive;
    drive.seconds = seconds;
    testgen::PlayableOptions o;
    o.lines = testgen::simulateDrive(drive);
    testgen::writePlayable(path, o);
}

// A drive for the other cameras' recordings: their receivers find a fix after a
// couple of seconds.
void camera(std::string_view format, const char* path, int seconds) {
    testgen::DriveOptions drive;
    drive.seconds = seconds;
    drive.noFixSeconds = std::min(2, seconds - 1);
    const auto points = testgen::simulateDrivePoints(drive);
    if (format == "nmea") testgen::writeNmeaCamera(path, points);
    else if (format == "nmea-track") testgen::writeNmeaTrack(path, points);
    else if (format == "blackvue") testgen::writeBlackVue(path, points);
    else testgen::writeSeventyMai(path, points);
}

void gopro(const char* path, int seconds) {
    testgen::DriveOptions drive;
    drive.seconds = seconds;
    testgen::writeGoPro(path, {.drive = testgen::simulateDrivePoints(drive)});
}

void camm(const char* path, int seconds) {
    testgen::DriveOptions drive;
    drive.seconds = seconds;
    testgen::writeCamm(path, {.drive = testgen::simulateDrivePoints(drive)});
}

int run(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 2) throw UsageError{"no command given"};
    const std::string_view command = argv[1];
    if (command == "samples") {
        if (argc != 3) throw UsageError{"samples takes one DIR"};
        testgen::writeSampleRecordings(argv[2]);
    } else if (command == "trip") {
        if (argc < 4 || argc > 6) throw UsageError{"trip takes DIR, COUNT and optional SECONDS and GAP"};
        trip(argv[2], parseWhole("COUNT", argv[3], 1), parseSeconds(argc, argv, 4),
             argc > 5 ? parseWhole("GAP", argv[5], 0) : 0);
    } else if (command == "card") {
        if (argc < 4 || argc > 5) throw UsageError{"card takes FAMILY, DIR and optional SECONDS"};
        testgen::CardFamily family;
        try {
            family = testgen::cardFamilyNamed(argv[2]);
        } catch (const std::invalid_argument& e) {
            throw UsageError{e.what()};
        }
        testgen::writeCard(argv[3], family, argc > 4 ? parseWhole("SECONDS", argv[4], 1) : 3);
    } else if (command == "novatek") {
        if (argc < 3 || argc > 4) throw UsageError{"novatek takes FILE and optional SECONDS"};
        novatek(argv[2], parseSeconds(argc, argv));
    } else if (command == "synthetic" || command == "playable" || command == "gopro" || command == "camm") {
        if (argc < 3 || argc > 4) throw UsageError{std::string(command) + " takes FILE and optional SECONDS"};
        const int seconds = parseSeconds(argc, argv);
        if (command == "synthetic") synthetic(argv[2], seconds);
        else if (command == "playable") playable(argv[2], seconds);
        else if (command == "gopro") gopro(argv[2], seconds);
        else camm(argv[2], seconds);
    } else if (command == "nmea" || command == "nmea-track" || command == "blackvue" || command == "70mai") {
        if (argc < 3 || argc > 4) throw UsageError{std::string(command) + " takes FILE and optional SECONDS"};
        camera(command, argv[2], parseSeconds(argc, argv));
    } else {
        throw UsageError{"unknown command '" + std::string(command) + "'"};
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "dashcam-testgen: %s\n%s", e.message.c_str(), kUsage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dashcam-testgen: %s\n", e.what());
        return 1;
    }
}
