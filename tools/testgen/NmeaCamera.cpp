#include "NmeaCamera.h"

#include "TelemetryTrack.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <span>

#include "CameraFile.h"
#include "Files.h"

namespace testgen {
namespace {

bool listed(const std::vector<size_t>& seconds, size_t second) { return std::ranges::count(seconds, second) > 0; }

// DDMM.MMMMMM (DDD for longitude) and its hemisphere, from millionths of a minute
// so that the minutes never round up to 60.
std::string coordinate(double degrees, int degreeDigits, char positive, char negative) {
    const long long micro = std::llround(std::fabs(degrees) * 60e6);
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld%02lld.%06lld,%c", degreeDigits, micro / 60'000'000,
                  micro % 60'000'000 / 1'000'000, micro % 1'000'000, degrees < 0 ? negative : positive);
    return text;
}

std::string timeField(const CivilTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d.00", t.hour, t.minute, t.second);
    return text;
}

}  // namespace

std::string withChecksum(std::string_view body) {
    unsigned x = 0;
    for (char c : body) x ^= uint8_t(c);
    char sum[4];
    std::snprintf(sum, sizeof sum, "%02X", x);
    return std::string("$").append(body).append("*").append(sum);
}

double altitudeAt(size_t second) { return 512.4 + 0.3 * double(second % 40); }

std::vector<std::string> nmeaSentences(const std::vector<DrivePoint>& points, const NmeaFaults& faults) {
    std::vector<std::string> out;
    for (size_t i = 0; i < points.size(); ++i) {
        const DrivePoint& p = points[i];
        const CivilTime t = civilTime(p.unixSeconds);
        char date[8], rest[64];
        std::snprintf(date, sizeof date, "%02d%02d%02d", t.day, t.month, t.year % 100);
        std::string rmc = "GPRMC," + timeField(t), gga = "GNGGA," + timeField(t);
        if (p.fix) {
            std::snprintf(rest, sizeof rest, ",%.3f,%.2f,%s,,,A", p.speedKmh / 1.852, p.headingDegrees, date);
            rmc.append(",A,").append(coordinate(p.lat, 2, 'N', 'S')).append(",").append(coordinate(p.lon, 3, 'E', 'W')).append(rest);
            std::snprintf(rest, sizeof rest, ",1,09,0.9,%.1f,M,47.0,M,,", altitudeAt(i));
            gga.append(",").append(coordinate(p.lat, 2, 'N', 'S')).append(",").append(coordinate(p.lon, 3, 'E', 'W')).append(rest);
        } else {
            rmc += ",V,,,,,,," + std::string(date) + ",,,N";
            gga += ",,,,,0,00,99.9,,M,,M,,";
        }
        std::string sentence = withChecksum(rmc);
        if (listed(faults.badChecksum, i)) sentence.back() = sentence.back() == '0' ? '1' : '0';
        if (listed(faults.cut, i)) sentence.resize(sentence.size() / 2);
        out.push_back(sentence);
        out.push_back(withChecksum(gga));
    }
    return out;
}

void writeNmeaCamera(const std::string& videoPath, const std::vector<DrivePoint>& points,
                     const NmeaCameraOptions& options) {
    std::string log;
    for (const std::string& s : nmeaSentences(points, options.faults)) log += s + "\r\n";
    writeCameraFile(videoPath, int(points.size()), [](mp4::MovieEdit&) {});
    const std::filesystem::path sidecar = std::filesystem::path(videoPath).replace_extension(options.extension);
    writeFileAtomically(sidecar, std::span(reinterpret_cast<const uint8_t*>(log.data()), log.size()));
}

void writeNmeaTrack(const std::string& path, const std::vector<DrivePoint>& points, const NmeaFaults& faults) {
    const std::vector<std::string> sentences = nmeaSentences(points, faults);
    mp4::TimedTrack track{"sbtl", mp4::timedTextSampleEntry(), 1000, {}, {}};
    for (size_t i = 0; i + 1 < sentences.size(); i += 2) {
        track.samples.push_back(timedTextSample(sentences[i] + "\r\n" + sentences[i + 1] + "\r\n"));
        track.durations.push_back(1000);
    }
    writeCameraFile(path, int(points.size()), [&track](mp4::MovieEdit& movie) { movie.addTrack(track); });
}

}  // namespace testgen
