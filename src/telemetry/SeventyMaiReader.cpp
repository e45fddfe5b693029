#include "SeventyMaiReader.h"

#include <algorithm>
#include <chrono>

#include "Mp4Walk.h"

namespace telemetry {
namespace {

// Little-endian: 32-bit words 1 and 1 (their meaning unknown), the seconds into the
// video and the speed in thousandths of a km/h; then the N/S letter, the latitude as
// DDMM.MMM in thousandths, the E/W letter, the longitude likewise; ten bytes unknown.
constexpr size_t kRecord = 36;
// Ten hours of records a second.
constexpr uint64_t kMostBytes = 36'000 * kRecord;
constexpr int64_t kUnixFrom1904 = 2'082'844'800;

struct GpsBox {
    BoxAt box;
    bool cut = false;  // its size runs past the end of the file
};

std::optional<GpsBox> gpsBox(const FileBytes& file) {
    const BoxList top = topLevelBoxes(file);
    if (const auto box = firstOf(top, "GPS ")) return GpsBox{*box};
    if (top.damagedAt)
        if (const auto claimed = claimedBoxAt(file, *top.damagedAt); claimed && claimed->type == "GPS ")
            return GpsBox{*claimed, true};
    return std::nullopt;
}

// The movie header's creation time as seconds since 1970, when it is set.
std::optional<int64_t> creationTime(const FileBytes& file) {
    const auto moov = firstOf(topLevelBoxes(file), "moov");
    if (!moov) return std::nullopt;
    const auto mvhd = firstOf(childrenOf(file, *moov), "mvhd");
    uint8_t h[12];
    if (!mvhd || mvhd->payloadSize() < sizeof h || !file.read(mvhd->payload(), sizeof h, h)) return std::nullopt;
    const uint64_t since1904 = h[0] == 1 ? be64(h + 4) : be32(h + 4);
    if (since1904 <= uint64_t(kUnixFrom1904) || since1904 > uint64_t(kUnixFrom1904) + (1ULL << 40)) return std::nullopt;
    return int64_t(since1904) - kUnixFrom1904;
}

std::optional<double> degrees(uint32_t thousandthsOfMinutes, char hemisphere, char positive, char negative,
                              double most) {
    if (hemisphere != positive && hemisphere != negative) return std::nullopt;
    const double minutes = (thousandthsOfMinutes % 100'000) / 1000.0;
    const double v = (thousandthsOfMinutes / 100'000) + minutes / 60;
    if (minutes >= 60 || v > most) return std::nullopt;
    return hemisphere == negative ? -v : v;
}

Sample sampleOf(const uint8_t* r, std::optional<int64_t> created) {
    Sample s;
    const uint32_t seconds = le32(r + 8), speed = le32(r + 12), lat = le32(r + 17), lon = le32(r + 22);
    s.videoSeconds = seconds;
    if (created)
        s.time = RecordedTime{std::chrono::seconds(*created + seconds), RecordedTime::Clock::Camera};
    const auto la = degrees(lat, char(r[16]), 'N', 'S', 90), lo = degrees(lon, char(r[21]), 'E', 'W', 180);
    // Without a fix the camera writes no position at all, which reads as 0, 0.
    if (la && lo && (lat != 0 || lon != 0)) {
        s.fix = GeoPoint{*la, *lo, std::nullopt};
        // Beyond this a damaged record, not a car.
        if (speed <= 1'000'000) s.speedKmh = speed / 1000.0;
    }
    return s;
}

}  // namespace

bool SeventyMaiReader::recognises(const FileBytes& file) const { return gpsBox(file).has_value(); }

ReadResult SeventyMaiReader::read(const std::string& path) const {
    const RandomAccessFile file(path);
    const auto gps = gpsBox(file);
    if (!gps) return std::vector<Sample>{};
    // The records before the cut would be honest, but a cut file's header may be
    // lost too: the reason, not a drive with a wrong date.
    if (gps->cut) return ReadFailure{"the 70mai GPS box is cut short"};
    const auto records = payloadOf(file, gps->box, kMostBytes);
    if (!records) return ReadFailure{"the 70mai GPS box is too large or unreadable"};
    const std::optional<int64_t> created = creationTime(file);

    std::vector<Sample> samples;
    static const uint8_t kEmpty[kRecord] = {};
    // The box is made with room to spare: the first empty record ends the list.
    for (size_t at = 0; at + kRecord <= records->size(); at += kRecord) {
        const uint8_t* r = records->data() + at;
        if (std::equal(r, r + kRecord, kEmpty)) break;
        samples.push_back(sampleOf(r, created));
    }
    std::ranges::stable_sort(samples, {}, &Sample::videoSeconds);
    return samples;
}

}  // namespace telemetry
