#include "Card.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "BlackVueCamera.h"
#include "Drive.h"
#include "Files.h"
#include "GoProCamera.h"
#include "NovatekCamera.h"
#include "PlayableMp4.h"
#include "SeventyMaiCamera.h"

namespace testgen {
namespace {

namespace fs = std::filesystem;

constexpr int kRecordings = 4;  // normal, normal, event, parking
const BareVideo kSmallVideo{.seconds = 1, .width = 160, .height = 120, .fps = 10};

// A date and time as the camera writes it into a name; format takes the six fields.
std::string stamp(const char* format, long long unixSeconds) {
    const CivilTime t = civilTime(unixSeconds);
    char text[64];
    std::snprintf(text, sizeof text, format, t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

std::string numbered(const char* format, int number) {
    char text[32];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

// The rear camera: its own picture (colour bars), no telemetry, as long as the front's.
void writeRear(const fs::path& path, int seconds) {
    const fs::path temp = path.parent_path() / std::string(".").append(path.filename().string()).append(".part.mp4");
    BareVideo video = kSmallVideo;
    video.seconds = seconds;
    video.pattern = "smptebars";
    encodeBareVideo(temp.string(), video);
    fs::rename(temp, path);
}

void writeFront(CardFamily family, const fs::path& path, const std::vector<DrivePoint>& points) {
    fs::create_directories(path.parent_path());
    switch (family) {
        case CardFamily::Novatek: {
            NovatekOptions options;
            options.video = kSmallVideo;
            writeNovatek(path.string(), points, options);
            break;
        }
        case CardFamily::BlackVue: writeBlackVue(path.string(), points); break;
        case CardFamily::SeventyMai: writeSeventyMai(path.string(), points); break;
        case CardFamily::GoPro: writeGoPro(path.string(), {.drive = points, .video = kSmallVideo}); break;
    }
}

struct Names {
    std::string front, rear;  // rear empty: none
};

// start: the recording's first second, which the camera writes into its names.
Names namesOf(CardFamily family, int index, long long start) {
    const int number = index + 1;
    switch (family) {
        case CardFamily::Novatek: {
            const char* folder = index == 2 ? "DCIM/Movie/RO/" : index == 3 ? "DCIM/Movie/Parking/" : "DCIM/Movie/";
            const std::string stem =
                std::string(folder) + stamp("%04d_%02d%02d_%02d%02d%02d_", start) + numbered("%04d", number);
            return {stem + "F.MP4", index == 3 ? "" : stem + "R.MP4"};
        }
        case CardFamily::BlackVue: {
            const char kind = "NNEP"[index];
            const std::string stem = "Record/" + stamp("%04d%02d%02d_%02d%02d%02d_", start) + kind;
            return {stem + "F.mp4", index == 3 ? "" : stem + "R.mp4"};
        }
        case CardFamily::SeventyMai: {
            const char* folder = index == 2 ? "Event" : index == 3 ? "Parking" : "Normal";
            const char* prefix = index == 2 ? "EV" : index == 3 ? "PA" : "NO";
            const char* format = "%04d%02d%02d-%02d%02d%02d-";
            const std::string front =
                std::string(folder) + "/Front/" + prefix + stamp(format, start) + numbered("%06d", number) + "F.MP4";
            if (index == 3) return {front, ""};
            // The back camera's file starts a second after the front's and is numbered on its
            // own, so the names differ by more than the letter.
            return {front, std::string(folder) + "/Back/" + prefix + stamp(format, start + 1) +
                               numbered("%06d", number + 100) + "B.MP4"};
        }
        case CardFamily::GoPro: {
            // Chapters 01 to 03 of recording 0001, then the first chapter of 0002.
            char name[48];  // room for any two ints, or GCC warns of a cut name
            std::snprintf(name, sizeof name, "DCIM/100GOPRO/GX%02d%04d.MP4", index == 3 ? 1 : number, index == 3 ? 2 : 1);
            return {name, ""};
        }
    }
    return {};
}

}  // namespace

CardFamily cardFamilyNamed(std::string_view name) {
    if (name == "novatek") return CardFamily::Novatek;
    if (name == "blackvue") return CardFamily::BlackVue;
    if (name == "70mai") return CardFamily::SeventyMai;
    if (name == "gopro") return CardFamily::GoPro;
    throw std::invalid_argument("unknown card family '" + std::string(name) + "': use novatek, blackvue, 70mai or gopro");
}

void writeCard(const std::string& dir, CardFamily family, int seconds) {
    DriveOptions drive;
    drive.startSpeedKmh = 50;
    // The pothole mid-way through the event recording, which is why the camera protected it.
    drive.incidents = {{Incident::Pothole, 2 * seconds + seconds / 2}};
    // The last recording starts a minute after the drive (parked, or a new GoPro
    // recording): a trip of its own.
    std::vector<std::vector<DrivePoint>> cut = cutDrivePoints(drive, std::vector<int>(kRecordings, seconds), 0);
    for (DrivePoint& p : cut[3]) p.unixSeconds += 60;

    writeFolderWhole(dir, [&](const fs::path& building) {
        for (int i = 0; i < kRecordings; ++i) {
            const Names names = namesOf(family, i, cut[size_t(i)].front().unixSeconds);
            writeFront(family, building / names.front, cut[size_t(i)]);
            if (!names.rear.empty()) {
                fs::create_directories((building / names.rear).parent_path());
                writeRear(building / names.rear, seconds);
            }
        }
    });
}

}  // namespace testgen
