#include "GoProCamera.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace testgen {
namespace {

// One GPMF item: key, type, structure size, repeat, then the data padded to 32 bits.
class Klv {
public:
    std::string bytes;

    Klv& item(const char* key, char type, size_t structSize, size_t repeat, const std::string& data) {
        if (structSize > 255 || repeat > 65535) throw std::invalid_argument("a GPMF item too large");
        bytes.append(key, 4);
        bytes += type;
        bytes += char(structSize);
        bytes += char(repeat >> 8);
        bytes += char(repeat & 0xff);
        bytes += data;
        bytes.append((4 - data.size() % 4) % 4, '\0');
        return *this;
    }
    Klv& nest(const char* key, const Klv& inner) { return item(key, '\0', 1, inner.bytes.size(), inner.bytes); }
    Klv& text(const char* key, const std::string& s) { return item(key, 'c', 1, s.size(), s); }
};

std::string be(uint64_t v, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += char((v >> (8 * i)) & 0xff);
    return out;
}

std::string int32s(const std::vector<double>& values) {
    std::string out;
    for (const double v : values) out += be(uint32_t(int32_t(std::llround(v))), 4);
    return out;
}

constexpr double kGravity = 9.80665;
constexpr int kAccelScale = 418;  // counts per m/s^2, as HERO cameras scale it

std::string gpsuText(double unixSeconds) {
    const auto whole = (long long)std::floor(unixSeconds);
    const CivilTime c = civilTime(whole);
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d.%03d", c.year % 100, c.month, c.day, c.hour, c.minute,
                  c.second, int(std::llround((unixSeconds - double(whole)) * 1000)));
    return std::string(text, 16);
}

std::string payload(const GoProOptions& o, size_t second) {
    const std::vector<DrivePoint>& drive = o.drive;
    const DrivePoint& here = drive[second];
    const DrivePoint& next = drive[std::min(second + 1, drive.size() - 1)];
    if (o.foreignPayloads) return "FMAS" + std::string(28, '\0');
    Klv device;
    device.item("DVID", 'L', 4, 1, be(1, 4)).text("DVNM", "Camera");
    if (o.noTelemetry) return Klv().nest("DEVC", device).bytes;

    std::string accel;
    for (int j = 0; j < o.accelPerSecond; ++j) {
        const DrivePoint p = interpolate(here, next, double(j) / o.accelPerSecond);
        for (const double g : {p.gz, p.gx, p.gy})
            accel += be(uint16_t(int16_t(std::lround(g * kGravity * kAccelScale))), 2);
    }
    Klv accelStream;
    accelStream.text("STNM", "Accelerometer").item("SCAL", 's', 2, 1, be(kAccelScale, 2));
    accelStream.item("ACCL", 's', 6, size_t(o.accelPerSecond), accel);
    device.nest("STRM", accelStream);

    const int n = o.fixesPerSecond;
    std::string fixes;
    for (int k = 0; k < n; ++k) {
        const double f = double(k) / n;
        const DrivePoint p = interpolate(here, next, f);
        const double lat = p.fix ? p.lat : 0, lon = p.fix ? p.lon : 0;
        const double mps = p.speedKmh / 3.6;
        std::vector<double> row = {lat * 1e7, lon * 1e7, goproAltitude(second) * 1000, mps * 1000, mps * 100};
        if (o.gps9) {
            const double t = double(here.unixSeconds) + f - 946684800.0;  // since 2000-01-01
            const double days = std::floor(t / 86400);
            row.insert(row.end(), {days, (t - days * 86400) * 1000, 150, p.fix ? 3.0 : 0.0});
            fixes += int32s({row.begin(), row.begin() + 7}) + be(150, 2) + be(o.fixGrade.value_or(p.fix ? 3 : 0), 2);
        } else {
            fixes += int32s(row);
        }
    }
    Klv gps;
    gps.text("STNM", o.gps9 ? "GPS (Lat., Long., Alt., 2D, 3D, days, secs, DOP, fix)"
                            : "GPS (Lat., Long., Alt., 2D speed, 3D speed)");
    const double s = o.zeroScale ? 0 : 1;
    if (o.gps9) {
        gps.text("TYPE", "lllllllSS");
        gps.item("SCAL", 'l', 4, 9, int32s({1e7 * s, 1e7 * s, 1000 * s, 1000 * s, 100 * s, 1, 1000, 100, 1}));
        gps.item("GPS9", '?', 32, size_t(n), fixes);
    } else {
        gps.item("GPSF", 'L', 4, 1, be(o.fixGrade.value_or(here.fix ? 3 : 0), 4));
        gps.item("GPSU", 'U', 16, 1, gpsuText(double(here.unixSeconds)));
        gps.item("GPSP", 'S', 2, 1, be(here.fix ? 150 : 9999, 2));
        gps.item("SCAL", 'l', 4, 5, int32s({1e7 * s, 1e7 * s, 1000 * s, 1000 * s, 100 * s}));
        // A payload cut short: the item claims one more fix than its bytes hold.
        gps.item("GPS5", 'l', 20, size_t(n) + (o.cutPayload && second == 0 ? 1 : 0), fixes);
    }
    device.nest("STRM", gps);
    return Klv().nest("DEVC", device).bytes;
}

}  // namespace

double goproAltitude(size_t k) { return 520.0 + 0.25 * double(k); }

void writeGoPro(const std::string& path, const GoProOptions& o) {
    if (o.fixesPerSecond < 1 || o.accelPerSecond < 1)
        throw std::invalid_argument("a GoPro recording needs fixes and readings");
    MetadataRecording r = driveRecording(o.drive, o.video, "meta", "gpmd", o.tableFault);
    for (size_t i = 0; i < o.drive.size(); ++i) {
        r.track.samples.push_back(payload(o, i));
        r.track.durations.push_back(1000);
    }
    writeMetadataRecording(path, r);
}

}  // namespace testgen
