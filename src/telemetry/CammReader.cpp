#include "CammReader.h"

#include <cmath>
#include <cstring>

#include "Mp4Tracks.h"
#include "Mp4Walk.h"

namespace telemetry {
namespace {

constexpr uint32_t kSampleLimit = 1u << 20;
// Ten records a second for over 100 hours: more is a hostile file's bid for memory.
constexpr size_t kMaxSamples = size_t(1) << 22;
constexpr long long kGpsEpoch = 315964800;  // 1980-01-06 00:00 UTC in Unix seconds

// The start of each month that began with GPS time one more second ahead of UTC
// (the IERS leap seconds since 1980; none has been inserted since 2017).
constexpr struct {
    long long since;  // Unix seconds, UTC
} kLeaps[] = {{362793600}, {394329600},  {425865600},  {489024000},  {567993600},  {631152000},
              {662688000}, {709948800},  {741484800},  {773020800},  {820454400},  {867715200},
              {915148800}, {1136073600}, {1230768000}, {1341100800}, {1435708800}, {1483228800}};

// Bytes of each record after its 4-byte header, by type.
constexpr size_t kRecordSize[] = {12, 8, 12, 12, 12, 24, 56, 12};

double le64double(const uint8_t* p) {
    const uint64_t bits = uint64_t(le32(p + 4)) << 32 | le32(p);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

double le32float(const uint8_t* p) {
    const uint32_t bits = le32(p);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::optional<GeoPoint> position(double lat, double lon, double altitude) {
    if (!std::isfinite(lat) || !std::isfinite(lon) || std::abs(lat) > 90 || std::abs(lon) > 180) return std::nullopt;
    return GeoPoint{lat, lon, std::isfinite(altitude) ? std::optional<double>(altitude) : std::nullopt};
}

Sample gpsSample(const uint8_t* p) {
    Sample s;
    const double gpsSeconds = le64double(p);
    // Beyond a few centuries it is damage, not a date.
    if (std::isfinite(gpsSeconds) && gpsSeconds >= 0 && gpsSeconds < 1e10)
        s.time = RecordedTime{utcOfGpsTime(gpsSeconds), RecordedTime::Clock::Utc};
    const int32_t fixType = int32_t(le32(p + 8));
    if (fixType == 0 || fixType == 2 || fixType == 3) s.fixQuality = fixType;
    if (fixType >= 2) s.fix = position(le64double(p + 12), le64double(p + 20), le32float(p + 28));
    const double east = le32float(p + 40), north = le32float(p + 44);
    if (std::isfinite(east) && std::isfinite(north)) {
        const double speed = std::hypot(east, north);
        s.speedKmh = speed * 3.6;
        // Standing still the velocity points nowhere.
        if (speed > 0) s.headingDegrees = std::fmod(std::atan2(east, north) * 180 / M_PI + 360, 360);
    }
    return s;
}

}  // namespace

std::chrono::milliseconds utcOfGpsTime(double gpsSeconds) {
    const double unixGps = gpsSeconds + double(kGpsEpoch);
    int behind = 0;
    for (const auto& leap : kLeaps)
        if (unixGps - (behind + 1) >= double(leap.since)) ++behind;
    return std::chrono::milliseconds(std::llround((unixGps - behind) * 1000));
}

std::optional<std::vector<Sample>> cammSamples(std::span<const uint8_t> bytes, double start, double duration) {
    std::vector<Sample> out;
    for (size_t at = 0; at < bytes.size();) {
        if (bytes.size() - at < 4) return std::nullopt;
        const uint16_t type = le16(bytes.data() + at + 2);
        if (type >= std::size(kRecordSize) || bytes.size() - at - 4 < kRecordSize[type]) return std::nullopt;
        const uint8_t* p = bytes.data() + at + 4;
        if (type == 5) {
            Sample s;
            s.fix = position(le64double(p), le64double(p + 8), le64double(p + 16));
            out.push_back(s);
        } else if (type == 6) {
            out.push_back(gpsSample(p));
        }
        at += 4 + kRecordSize[type];
    }
    for (size_t k = 0; k < out.size(); ++k) out[k].videoSeconds = start + duration * double(k) / double(out.size());
    return out;
}

bool CammReader::recognises(const FileBytes& file) const { return hasTrackOfFormat(file, "camm"); }

ReadResult CammReader::read(const std::string& path) const {
    const RandomAccessFile file(path);
    const auto track = firstTrackOfFormat(file, "camm");
    if (!track) return ReadFailure{"no CAMM track"};
    // One damaged record fails the recording rather than leave an unexplained gap.
    std::vector<Sample> out;
    const std::string why =
        forEachSample(file, *track, kSampleLimit, [&out](auto bytes, double start, double duration) {
            const auto samples = cammSamples(bytes, start, duration);
            if (!samples) return std::string("a damaged record");
            out.insert(out.end(), samples->begin(), samples->end());
            return std::string(out.size() > kMaxSamples ? "more records than any recording holds" : "");
        });
    if (!why.empty()) return ReadFailure{"CAMM track: " + why};
    return out;
}

}  // namespace telemetry
