#include "GoProReader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string_view>

#include "Mp4Tracks.h"

namespace telemetry {
namespace {

using std::chrono::milliseconds;

constexpr double kStandardGravity = 9.80665;  // m/s^2 in one g
constexpr uint32_t kPayloadLimit = 16u << 20;
// 18 fixes a second for over 60 hours: more is a hostile file's bid for memory.
constexpr size_t kMaxSamples = size_t(1) << 22;
// A payload a second is usual; a payload spread over more fixes than this is not GPS.
constexpr double kGpsRate = 18;

// "yymmddhhmmss.sss", the years since 2000.
std::optional<milliseconds> gpsuTime(std::string_view text) {
    if (text.size() < 16 || text[12] != '.') return std::nullopt;
    int f[6];
    for (int i = 0; i < 6; ++i) {
        if (!std::isdigit((unsigned char)text[2 * i]) || !std::isdigit((unsigned char)text[2 * i + 1]))
            return std::nullopt;
        f[i] = (text[2 * i] - '0') * 10 + (text[2 * i + 1] - '0');
    }
    int ms = 0;
    for (int i = 13; i < 16; ++i) {
        if (!std::isdigit((unsigned char)text[i])) return std::nullopt;
        ms = ms * 10 + (text[i] - '0');
    }
    using namespace std::chrono;
    const year_month_day date{year(2000 + f[0]), month(unsigned(f[1])), day(unsigned(f[2]))};
    if (!date.ok() || f[3] > 23 || f[4] > 59 || f[5] > 60) return std::nullopt;
    return sys_days(date).time_since_epoch() + hours(f[3]) + minutes(f[4]) + seconds(f[5]) + milliseconds(ms);
}

// Bytes of one value of a GPMF type; 0 for the types that are not single values.
size_t typeSize(char type) {
    if (type == 0) return 0;
    for (const auto& [types, size] :
         {std::pair<std::string_view, size_t>{"bBc", 1}, {"sS", 2}, {"lLfqF", 4}, {"djJQ", 8}})
        if (types.find(type) != std::string_view::npos) return size;
    return 0;
}

double numberAt(char type, const uint8_t* p) {
    switch (type) {
        case 'b':
            return int8_t(p[0]);
        case 'B':
            return p[0];
        case 's':
            return int16_t(be16(p));
        case 'S':
            return be16(p);
        case 'l':
            return int32_t(be32(p));
        case 'L':
            return be32(p);
        case 'q':
            return int32_t(be32(p)) / 65536.0;
        case 'j':
            return double(int64_t(be64(p)));
        case 'J':
            return double(be64(p));
        case 'Q':
            return double(int64_t(be64(p))) / 4294967296.0;
        case 'f': {
            const uint32_t bits = be32(p);
            float v;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        }
        case 'd': {
            const uint64_t bits = be64(p);
            double v;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        }
        default:
            return NAN;
    }
}

struct Item {
    std::string_view key;
    char type;
    size_t structSize, repeat;
    std::span<const uint8_t> data;
};

// The rows of a numeric item, each its structure's elements in order. A structure
// of type '?' takes its elements' types from the stream's TYPE. None when the
// types do not fill the structure.
std::optional<std::vector<std::vector<double>>> rowsOf(const Item& item, std::string_view complexType) {
    std::string types;
    if (item.type == '?') {
        types = complexType;
    } else {
        const size_t width = typeSize(item.type);
        if (width == 0 || item.type == 'c' || item.type == 'F' || item.structSize % width) return std::nullopt;
        types.assign(item.structSize / width, item.type);
    }
    size_t width = 0;
    for (const char t : types) {
        if (typeSize(t) == 0 || t == 'c' || t == 'F') return std::nullopt;
        width += typeSize(t);
    }
    if (width == 0 || width != item.structSize) return std::nullopt;
    std::vector<std::vector<double>> rows(item.repeat);
    for (size_t r = 0; r < item.repeat; ++r) {
        const uint8_t* p = item.data.data() + r * item.structSize;
        for (const char t : types) {
            rows[r].push_back(numberAt(t, p));
            p += typeSize(t);
        }
    }
    return rows;
}

// A stream's sticky settings apply to the data item that follows them.
struct StreamState {
    std::vector<double> scale;
    std::string type, orientation;
};

void applyScale(std::vector<std::vector<double>>& rows, const std::vector<double>& scale) {
    if (scale.empty()) return;
    for (auto& row : rows)
        for (size_t i = 0; i < row.size(); ++i) row[i] /= scale[scale.size() == 1 ? 0 : i % scale.size()];
}

// 0 no lock, 2 and 3 dimensions; a number of any other kind says nothing.
std::optional<int32_t> fixGrade(double v) {
    if (v == 0 || v == 2 || v == 3) return int32_t(v);
    return std::nullopt;
}

std::optional<double> finite(double v) { return std::isfinite(v) ? std::optional<double>(v) : std::nullopt; }

class Parser {
public:
    GpmfPayload out;

    bool container(std::span<const uint8_t> bytes, int depth) {
        if (depth > 8) return false;
        StreamState state;
        for (size_t at = 0; at + 8 <= bytes.size();) {
            const uint8_t* h = bytes.data() + at;
            if (be32(h) == 0) break;  // padding at the end of a payload
            Item item{{reinterpret_cast<const char*>(h), 4}, char(h[4]), h[5], be16(h + 6), {}};
            const size_t size = item.structSize * item.repeat;
            if (size > bytes.size() - at - 8) return false;
            item.data = bytes.subspan(at + 8, size);
            at += 8 + ((size + 3) & ~size_t(3));
            if (item.type == 0) {
                if (!container(item.data, depth + 1)) return false;
            } else if (!value(item, state)) {
                return false;
            }
        }
        return true;
    }

private:
    static std::string_view text(const Item& item) {
        std::string_view s(reinterpret_cast<const char*>(item.data.data()), item.data.size());
        return s.substr(0, s.find('\0'));
    }

    bool value(const Item& item, StreamState& state) {
        if (item.key == "SCAL") {
            auto rows = rowsOf(item, {});
            if (!rows) return false;
            state.scale.clear();
            for (const auto& row : *rows) state.scale.insert(state.scale.end(), row.begin(), row.end());
        } else if (item.key == "TYPE" && item.type == 'c') {
            state.type = text(item);
        } else if (item.key == "ORIN" && item.type == 'c') {
            state.orientation = text(item);
        } else if (item.key == "GPSU" && (item.type == 'U' || item.type == 'c')) {
            out.gpsTime = gpsuTime(text(item));
        } else if (item.key == "GPSF") {
            const auto rows = rowsOf(item, {});
            if (!rows) return false;
            if (!rows->empty() && !rows->front().empty()) out.fixQuality = fixGrade(rows->front().front());
        } else if (item.key == "GPS5" || item.key == "GPS9") {
            return gps(item, state);
        } else if (item.key == "ACCL") {
            return accel(item, state);
        }
        return true;
    }

    bool gps(const Item& item, const StreamState& state) {
        auto rows = rowsOf(item, state.type);
        if (!rows) return false;
        applyScale(*rows, state.scale);
        const bool nine = item.key == "GPS9";
        for (const auto& row : *rows) {
            if (row.size() < (nine ? 9u : 5u)) return false;
            GpmfPayload::Fix fix{row[0], row[1], row[2], row[3], std::nullopt, std::nullopt};
            if (nine) {
                // Days since 2000-01-01 and seconds since that midnight, UTC.
                const double ms = (row[5] * 86400.0 + row[6]) * 1000.0 + 946684800000.0;
                if (std::isfinite(ms) && std::abs(ms) < 1e15) fix.utc = milliseconds(std::llround(ms));
                fix.quality = fixGrade(row[8]);
            }
            out.fixes.push_back(fix);
        }
        return true;
    }

    bool accel(const Item& item, const StreamState& state) {
        auto rows = rowsOf(item, state.type);
        if (!rows) return false;
        applyScale(*rows, state.scale);
        // Which camera axis each stored value is, lower case for a reversed axis. The
        // HERO5's order where a camera does not say.
        std::string_view orin = state.orientation.size() == 3 ? std::string_view(state.orientation) : "ZXY";
        for (const auto& row : *rows) {
            if (row.size() < 3) return false;
            std::array<double, 3> xyz{NAN, NAN, NAN};
            for (size_t i = 0; i < 3; ++i) {
                const char axis = orin[i];
                const int index = std::toupper((unsigned char)axis) - 'X';
                if (index < 0 || index > 2) return false;
                xyz[size_t(index)] = std::islower((unsigned char)axis) ? -row[i] : row[i];
            }
            out.accel.push_back(xyz);
        }
        return true;
    }
};

}  // namespace

std::optional<GpmfPayload> parseGpmf(std::span<const uint8_t> bytes) {
    Parser parser;
    if (!parser.container(bytes, 0)) return std::nullopt;
    return std::move(parser.out);
}

std::vector<Sample> gpmfSamples(const GpmfPayload& payload, double start, double duration) {
    const size_t readings = payload.accel.size();
    size_t n = payload.fixes.size();
    if (n == 0) n = std::min(readings, size_t(std::ceil(duration * kGpsRate)));
    std::vector<Sample> out(n);
    for (size_t k = 0; k < n; ++k) {
        Sample& s = out[k];
        const double offset = duration * double(k) / double(n);
        s.videoSeconds = start + offset;
        if (k < payload.fixes.size()) {
            const GpmfPayload::Fix& f = payload.fixes[k];
            s.fixQuality = f.quality ? f.quality : payload.fixQuality;
            if (f.utc)
                s.time = RecordedTime{*f.utc, RecordedTime::Clock::Utc};
            else if (payload.gpsTime)
                s.time = RecordedTime{*payload.gpsTime + milliseconds(std::llround(offset * 1000)),
                                      RecordedTime::Clock::Utc};
            const bool locked = !s.fixQuality || *s.fixQuality >= 2;
            if (locked && std::isfinite(f.lat) && std::isfinite(f.lon) && std::abs(f.lat) <= 90 &&
                std::abs(f.lon) <= 180)
                s.fix = GeoPoint{f.lat, f.lon, finite(f.altitude)};
            if (std::isfinite(f.speedMps) && f.speedMps >= 0) s.speedKmh = f.speedMps * 3.6;
        }
        // The readings of this sample's share of the payload, or the nearest one when
        // there are fewer readings than samples.
        size_t first = k * readings / n, last = (k + 1) * readings / n;
        if (readings > 0 && first == last) last = first + 1;
        if (last > first && last <= readings) {
            for (size_t axis = 0; axis < 3; ++axis) {
                double sum = 0;
                for (size_t j = first; j < last; ++j) sum += payload.accel[j][axis];
                s.g[axis] = finite(sum / double(last - first) / kStandardGravity);
            }
        }
    }
    return out;
}

bool GoProReader::recognises(const FileBytes& file) const {
    for (const Mp4Track& track : movieTracks(file).tracks) {
        if (track.format != "gpmd") continue;
        // Some dashcams put their own layouts in a "gpmd" track; GoPro's payloads open
        // with a device. A first sample that cannot be read is damage to report.
        const auto first = firstSample(file, track);
        uint8_t key[4];
        if (!first || first->size < 4 || !file.read(first->offset, 4, key)) return true;
        return std::memcmp(key, "DEVC", 4) == 0;
    }
    return false;
}

ReadResult GoProReader::read(const std::string& path) const {
    const RandomAccessFile file(path);
    const auto track = firstTrackOfFormat(file, "gpmd");
    if (!track) return ReadFailure{"no GoPro track"};
    // A damaged payload fails the whole recording: the samples around it would
    // show a drive with a silent hole the camera never had.
    std::vector<Sample> out;
    const std::string why =
        forEachSample(file, *track, kPayloadLimit, [&out](auto bytes, double start, double duration) {
            const auto payload = parseGpmf(bytes);
            if (!payload) return std::string("a damaged payload");
            const std::vector<Sample> samples = gpmfSamples(*payload, start, duration);
            out.insert(out.end(), samples.begin(), samples.end());
            return std::string(out.size() > kMaxSamples ? "more fixes than any recording holds" : "");
        });
    if (!why.empty()) return ReadFailure{"GoPro track: " + why};
    return out;
}

}  // namespace telemetry
