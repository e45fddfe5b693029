#include "NovatekReader.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>

#include "Mp4Walk.h"

namespace telemetry {
namespace {

constexpr std::string_view kTag = "freeGPS ";
constexpr double kKmhPerKnot = 1.852;
// The size word, the tag and the record up to the track, the last field of the layout.
constexpr size_t kRecordBytes = 92;
// Some cameras (Transcend's) repeat the position as doubles after it, with the altitude.
constexpr size_t kPreciseBytes = 0xa8;
// A day at one block a second: more than any recording holds, and it bounds what a
// hostile index or scan can make us keep.
constexpr uint32_t kMaxBlocks = 86400;
constexpr uint64_t kIndexLimit = 8 + 8 * uint64_t(kMaxBlocks);
// Cameras put the blocks on 32 KiB boundaries, the first within the first 2 MB of
// media data: recognising an index-less file probes only those spots.
constexpr uint64_t kBlockAlignment = 0x8000, kProbeSpan = 2 << 20;
// The scan for index-less files holds a megabyte at a time. A recording whose first
// block is not in its first 32 MiB is not this camera's; and it reads at most 4 GiB,
// the largest file on the cameras' FAT32 cards and as far as their 32-bit index reaches.
constexpr uint64_t kScanChunk = 1 << 20, kFirstBlockWithin = 32 << 20, kScanLimit = uint64_t(4) << 30;

struct Range {
    uint64_t begin = 0, end = 0;
};

bool isBlockHeader(const uint8_t* header) { return std::memcmp(header + 4, kTag.data(), kTag.size()) == 0; }

float floatAt(const uint8_t* p) { return std::bit_cast<float>(le32(p)); }
double doubleAt(const uint8_t* p) { return std::bit_cast<double>(uint64_t(le32(p + 4)) << 32 | le32(p)); }

// Signed degrees of a DDMM.MMMM reading, or none when it is no place on the globe.
std::optional<double> degrees(double ddmm, uint8_t hemisphere, char positive, char negative, double limit) {
    if ((hemisphere != positive && hemisphere != negative) || !std::isfinite(ddmm) || ddmm < 0) return std::nullopt;
    const double whole = std::floor(ddmm / 100), minutes = ddmm - whole * 100;
    const double d = whole + minutes / 60;
    if (minutes >= 60 || d > limit) return std::nullopt;
    return hemisphere == negative ? -d : d;
}

std::optional<RecordedTime> satelliteTime(const uint8_t* p) {
    using namespace std::chrono;
    const uint32_t h = le32(p + 48), mi = le32(p + 52), s = le32(p + 56), mo = le32(p + 64), d = le32(p + 68);
    uint32_t y = le32(p + 60);
    if (y < 2000) y += 2000;  // most count from 2000, a few write the whole year
    if (h > 23 || mi > 59 || s > 59 || y > 2200 || mo > 12 || d > 31) return std::nullopt;
    const year_month_day date{year(int(y)), month(mo), day(d)};
    if (!date.ok()) return std::nullopt;
    const auto t = sys_days(date) + hours(h) + minutes(mi) + seconds(s);
    return RecordedTime{duration_cast<milliseconds>(t.time_since_epoch()), RecordedTime::Clock::Utc};
}

// The sample of a block's first n bytes, at least kRecordBytes.
Sample sampleOf(const uint8_t* p, size_t n, double videoSeconds) {
    Sample out;
    out.videoSeconds = videoSeconds;
    out.time = satelliteTime(p);
    // Without the 'A' the receiver had no fix, and its position, speed and track are leftovers.
    if (p[72] != 'A') return out;
    double latitude = floatAt(p + 76), longitude = floatAt(p + 80);
    std::optional<double> altitude;
    // The doubles are taken only where they agree with the floats: elsewhere those
    // bytes are something else.
    if (n >= kPreciseBytes) {
        const double preciseLat = doubleAt(p + 0x70), preciseLon = doubleAt(p + 0x80), alt = doubleAt(p + 0xa0);
        if (std::abs(preciseLat - latitude) < 0.001 && std::abs(preciseLon - longitude) < 0.001) {
            latitude = preciseLat, longitude = preciseLon;
            if (std::isfinite(alt) && alt > -1000 && alt < 100000) altitude = alt;
        }
    }
    const auto lat = degrees(latitude, p[73], 'N', 'S', 90);
    const auto lon = degrees(longitude, p[74], 'E', 'W', 180);
    if (!lat || !lon) return out;
    out.fix = GeoPoint{*lat, *lon, altitude};
    if (const double kmh = double(floatAt(p + 84)) * kKmhPerKnot; std::isfinite(kmh) && kmh >= 0 && kmh <= 1000)
        out.speedKmh = kmh;
    if (const double track = floatAt(p + 88); std::isfinite(track) && track >= 0 && track <= 360)
        out.headingDegrees = track;
    return out;
}

std::optional<BoxAt> indexBox(const FileBytes& file, const BoxList& top) {
    const auto moov = firstOf(top, "moov");
    return moov ? firstOf(childrenOf(file, *moov), "gps ") : std::nullopt;
}

// The media data's payload. A recording cut off before the camera wrote its movie
// box has a media data box running past the end; its blocks up to the end still count.
std::optional<Range> mediaData(const FileBytes& file, const BoxList& top) {
    if (const auto mdat = firstOf(top, "mdat")) return Range{mdat->payload(), mdat->end()};
    uint8_t h[8];
    if (!top.damagedAt || !file.read(*top.damagedAt, 8, h) || std::memcmp(h + 4, "mdat", 4) != 0)
        return std::nullopt;
    return Range{*top.damagedAt + 8, file.size()};
}

// Any damage to the index or to a block it names fails the whole read: an index that
// is wrong in one place cannot be trusted to place the other blocks in the video.
ReadResult readIndexed(const FileBytes& file, const BoxAt& index) {
    const auto payload = payloadOf(file, index, kIndexLimit);
    if (!payload) return ReadFailure{"GPS index too large or unreadable"};
    if (payload->size() < 8) return ReadFailure{"GPS index cut short"};
    const uint32_t count = be32(payload->data() + 4);
    const size_t room = (payload->size() - 8) / 8;
    if (count > room)
        return ReadFailure{"GPS index lists " + std::to_string(count) + " blocks but has room for " +
                           std::to_string(room)};
    {
        PrefetchRun prefetch(file, uint64_t(count) * kPreciseBytes);
        for (uint32_t k = 0; k < count; ++k) {
            const uint8_t* entry = payload->data() + 8 + 8 * size_t(k);
            const uint32_t size = be32(entry + 4);
            if (size != 0 && !prefetch.add(be32(entry), std::min<uint32_t>(size, kPreciseBytes))) break;
        }
    }
    std::vector<Sample> samples;
    samples.reserve(count);
    for (uint32_t k = 0; k < count; ++k) {
        const uint8_t* entry = payload->data() + 8 + 8 * size_t(k);
        const uint32_t offset = be32(entry), size = be32(entry + 4);
        if (offset == 0 && size == 0) continue;  // a slot the camera reserved and never filled
        const std::string block = "GPS block " + std::to_string(k + 1) + " of " + std::to_string(count);
        if (!file.contains(offset, size)) return ReadFailure{"GPS index points past the end of the file"};
        if (size < kRecordBytes) return ReadFailure{block + " is cut short"};
        uint8_t record[kPreciseBytes];
        const size_t n = std::min<size_t>(size, kPreciseBytes);
        if (!file.read(offset, n, record)) return ReadFailure{block + " cannot be read"};
        if (!isBlockHeader(record)) return ReadFailure{block + " is not where the index says"};
        samples.push_back(sampleOf(record, n, k));
    }
    return samples;
}

// Without an index the blocks are found by their tag, one a second in the order they
// lie. A block that does not fit, or whose record runs into the next block's tag (its
// size word survived its cut), is skipped; its second still counts, so the blocks
// after it keep their place in the video.
std::vector<Sample> scan(const FileBytes& file, Range media) {
    std::vector<Sample> samples;
    size_t seconds = 0;
    std::vector<uint8_t> buffer;
    uint64_t scanned = 0;
    for (uint64_t at = media.begin; at < media.end && media.end - at >= 12 && samples.size() < kMaxBlocks;) {
        if ((samples.empty() && at - media.begin > kFirstBlockWithin) || scanned >= kScanLimit) break;
        const size_t n = size_t(std::min(kScanChunk, media.end - at));
        buffer.resize(n);
        if (!file.read(at, n, buffer.data())) break;
        scanned += n;
        const std::string_view view(reinterpret_cast<const char*>(buffer.data()), n);
        for (size_t from = 4, j; samples.size() < kMaxBlocks && (j = view.find(kTag, from)) != view.npos;) {
            from = j + 1;
            ++seconds;
            const uint64_t start = at + j - 4;
            const uint32_t size = be32(buffer.data() + j - 4);
            uint8_t record[kPreciseBytes];
            const size_t read = std::min<size_t>(size, kPreciseBytes);
            if (size < kRecordBytes || size > media.end - start || !file.read(start, read, record)) continue;
            const std::string_view rest(reinterpret_cast<const char*>(record) + 5, read - 5);
            if (rest.find(kTag) != rest.npos) continue;
            samples.push_back(sampleOf(record, read, double(seconds - 1)));
            from = j + read - 4;
        }
        at += n - 11;  // a tag across the chunk's end is found whole in the next
    }
    return samples;
}

}  // namespace

bool NovatekReader::recognises(const FileBytes& file) const {
    const BoxList top = topLevelBoxes(file);
    if (indexBox(file, top)) return true;
    const auto media = mediaData(file, top);
    if (!media) return false;
    const uint64_t end = std::min(media->end, media->begin + kProbeSpan);
    uint8_t header[12];
    const uint64_t first = (media->begin + kBlockAlignment - 1) / kBlockAlignment * kBlockAlignment;
    {
        // Every other camera's file is probed here: on a cold card one wait, not one a probe.
        PrefetchRun prefetch(file, kProbeSpan);
        for (uint64_t at = first; at < end && end - at >= sizeof header; at += kBlockAlignment)
            prefetch.add(at, sizeof header);
    }
    for (uint64_t at = first; at < end && end - at >= sizeof header; at += kBlockAlignment)
        if (file.read(at, sizeof header, header) && isBlockHeader(header)) return true;
    return false;
}

ReadResult NovatekReader::read(const std::string& path) const {
    const RandomAccessFile file(path);
    const BoxList top = topLevelBoxes(file);
    if (const auto index = indexBox(file, top)) return readIndexed(file, *index);
    const auto media = mediaData(file, top);
    if (!media) return std::vector<Sample>{};
    return scan(file, *media);
}

}  // namespace telemetry
