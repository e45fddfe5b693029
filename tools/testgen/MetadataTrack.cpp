#include "MetadataTrack.h"

#include <filesystem>
#include <span>
#include <stdexcept>

#include "Drive.h"
#include "Files.h"
#include "PlayableMp4.h"

namespace testgen {
namespace {

constexpr long long kSecondsFrom1904To1970 = 2082844800;

// The added track's table of that type: the track added last is the movie's last.
mp4::BoxSpan lastTrackTable(std::span<const uint8_t> file, const char* type) {
    std::vector<mp4::BoxSpan> level = mp4::listBoxes(file, 0, file.size());
    mp4::BoxSpan box;
    for (const char* step : {"moov", "trak", "mdia", "minf", "stbl", type}) {
        bool found = false;
        for (const mp4::BoxSpan& b : level)
            if (b.type == step) box = b, found = true;  // the last of its type
        if (!found) throw std::runtime_error(std::string("no ") + step + " box");
        level = mp4::listBoxes(file, box.offset + box.header, box.offset + box.size);
    }
    return box;
}

void damage(std::vector<uint8_t>& file, TableFault fault) {
    if (fault == TableFault::SamplePastEnd) {
        const mp4::BoxSpan stco = lastTrackTable(file, "stco");
        const uint32_t count = mp4::readBE32(file, stco.offset + 12);
        mp4::setBE32(file, stco.offset + 16 + 4 * uint64_t(count - 1), uint32_t(file.size() + 4096));
    } else if (fault == TableFault::SampleCountTooLarge) {
        const mp4::BoxSpan stsz = lastTrackTable(file, "stsz");
        mp4::setBE32(file, stsz.offset + 16, 0x40000000);
    }
}

}  // namespace

void writeMetadataRecording(const std::string& path, const MetadataRecording& recording) {
    const std::filesystem::path target(path);
    TempDir work(target.parent_path() / std::string(".").append(target.filename().string()).append(".XXXXXX"));
    const std::string video = (work.path() / "video.mp4").string();
    encodeBareVideo(video, recording.video);
    mp4::MovieEdit edit(video);
    edit.addTrack(recording.track);
    if (recording.createdUnixSeconds)
        edit.setCreationTime(uint64_t(*recording.createdUnixSeconds + kSecondsFrom1904To1970));
    edit.write();
    std::vector<uint8_t> bytes = readFile(video);
    damage(bytes, recording.fault);
    writeFileAtomically(target, bytes);
}

MetadataRecording driveRecording(const std::vector<DrivePoint>& drive, BareVideo video, const char* handler,
                                 const char* format, TableFault fault) {
    if (drive.empty()) throw std::invalid_argument("a recording needs a drive");
    MetadataRecording r;
    r.video = video;
    r.video.seconds = int(drive.size());
    r.track.handler = handler;
    r.track.timescale = 1000;
    r.track.sampleEntry = mp4::leaf(format, mp4::Payload().zeros(6).u16(1));
    r.createdUnixSeconds = drive.front().unixSeconds;
    r.fault = fault;
    return r;
}

DrivePoint interpolate(const DrivePoint& a, const DrivePoint& b, double f) {
    DrivePoint p = a;
    p.lat = a.lat + (b.lat - a.lat) * f;
    p.lon = a.lon + (b.lon - a.lon) * f;
    p.speedKmh = a.speedKmh + (b.speedKmh - a.speedKmh) * f;
    p.gx = a.gx + (b.gx - a.gx) * f;
    p.gy = a.gy + (b.gy - a.gy) * f;
    p.gz = a.gz + (b.gz - a.gz) * f;
    return p;
}

}  // namespace testgen
