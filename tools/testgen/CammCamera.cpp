#include "CammCamera.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace testgen {
namespace {

std::string le(uint64_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += char((v >> (8 * i)) & 0xff);
    return out;
}

std::string f64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return le(bits, 8);
}

std::string f32(double v) {
    const float f = float(v);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return le(bits, 4);
}

std::string header(int type) { return le(0, 2) + le(uint64_t(type), 2); }

}  // namespace

double gpsSecondsOfUtc(long long unixSeconds) {
    // Where UTC inserted a leap second (Unix seconds of the following midnight).
    static const long long leaps[] = {362793600, 394329600,  425865600,  489024000,  567993600,  631152000,
                                      662688000, 709948800,  741484800,  773020800,  820454400,  867715200,
                                      915148800, 1136073600, 1230768000, 1341100800, 1435708800, 1483228800};
    int inserted = 0;
    for (const long long at : leaps) inserted += unixSeconds >= at;
    return double(unixSeconds - 315964800 + inserted);
}

double cammAltitude(size_t k) { return 310.5 + 0.5 * double(k); }

void writeCamm(const std::string& path, const CammOptions& o) {
    MetadataRecording r = driveRecording(o.drive, o.video, "camm", "camm", o.tableFault);
    for (size_t k = 0; k < o.drive.size(); ++k) {
        const DrivePoint& p = o.drive[k];
        const double lat = o.nanLatitude && k == 1 ? std::numeric_limits<double>::quiet_NaN() : p.lat;
        std::string gps;
        if (o.positionsOnly) {
            gps = header(5) + f64(lat) + f64(p.lon) + f64(cammAltitude(k));
        } else {
            const double mps = p.speedKmh / 3.6, rad = p.headingDegrees * M_PI / 180;
            gps = header(6) + f64(gpsSecondsOfUtc(p.unixSeconds)) + le(p.fix ? 3 : 0, 4) + f64(lat) + f64(p.lon) +
                  f32(cammAltitude(k)) + f32(4.5) + f32(6.0) + f32(mps * std::sin(rad)) + f32(mps * std::cos(rad)) +
                  f32(0.0) + f32(0.4);
        }
        if (o.cutRecord && k + 1 == o.drive.size()) gps.resize(gps.size() / 2);
        r.track.samples.push_back(gps);
        r.track.samples.push_back(header(3) + f32(p.gx * 9.80665) + f32(p.gy * 9.80665) + f32(p.gz * 9.80665));
        r.track.durations.insert(r.track.durations.end(), {500, 500});
    }
    writeMetadataRecording(path, r);
}

}  // namespace testgen
