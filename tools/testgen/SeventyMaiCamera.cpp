#include "SeventyMaiCamera.h"

#include <cmath>

#include "CameraFile.h"

namespace testgen {
namespace {

constexpr long long kUnixFrom1904 = 2'082'844'800;

struct LittleEndian {
    std::string bytes;
    LittleEndian& u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes += char(uint8_t(v >> (8 * i)));
        return *this;
    }
    LittleEndian& letter(char c) { return bytes += c, *this; }
};

// DDMM.MMM in thousandths: 48.1374 degrees is 4808244.
uint32_t minutesField(double degrees) {
    const long long thousandths = std::llround(std::fabs(degrees) * 60'000);
    return uint32_t(thousandths / 60'000 * 100'000 + thousandths % 60'000);
}

}  // namespace

mp4::Box seventyMaiBox(const std::vector<DrivePoint>& points, const SeventyMaiOptions& options) {
    LittleEndian records;
    for (size_t i = 0; i < points.size(); ++i) {
        const DrivePoint& p = points[i];
        records.u32(1).u32(1).u32(uint32_t(i));
        if (p.fix) {
            records.u32(uint32_t(std::lround(p.speedKmh * 1000)));
            records.letter(p.lat < 0 ? 'S' : 'N').u32(minutesField(p.lat));
            records.letter(p.lon < 0 ? 'W' : 'E').u32(minutesField(p.lon));
        } else {
            records.u32(0).letter(0).u32(0).letter(0).u32(0);
        }
        records.bytes.append(10, '\0');
    }
    records.bytes.append(size_t(options.spareRecords) * 36, '\0');
    return mp4::leaf("GPS ", mp4::Payload().text(records.bytes));
}

uint64_t seventyMaiCreationTime(const std::vector<DrivePoint>& points) {
    return points.empty() ? 0 : uint64_t(points.front().unixSeconds + kUnixFrom1904);
}

void writeSeventyMai(const std::string& path, const std::vector<DrivePoint>& points, const SeventyMaiOptions& options) {
    const mp4::Box box = seventyMaiBox(points, options);
    writeCameraFile(path, int(points.size()), [&](mp4::MovieEdit& edit) {
        edit.setCreationTime(seventyMaiCreationTime(points));
        edit.addAfterMovie(box);
    }, true);
}

}  // namespace testgen
