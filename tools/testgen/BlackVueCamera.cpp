#include "BlackVueCamera.h"

#include <cmath>
#include <cstdio>

#include "CameraFile.h"

namespace testgen {

mp4::Box blackVueBox(const std::vector<DrivePoint>& points, const BlackVueOptions& options) {
    const long long startMs = points.empty() ? 0 : points.front().unixSeconds * 1000;
    const std::vector<std::string> sentences = nmeaSentences(points, options.faults);
    std::string log;
    mp4::Payload gsensor;
    for (size_t i = 0; i < points.size(); ++i) {
        // The receiver's sentences of a second come together, stamped as they arrive.
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "[%lld]", startMs + (long long)(i) * 1000);
        log.append(stamp).append(sentences[2 * i]).append("\n").append(stamp).append(sentences[2 * i + 1]).append("\n");
        gsensor.u32(uint32_t(i * 1000));
        for (double g : {points[i].gx, points[i].gy, points[i].gz}) gsensor.u16(uint16_t(int16_t(std::lround(g * 10))));
    }
    std::vector<mp4::Box> children;
    if (options.startTime) {
        mp4::Payload sttm;
        sttm.u32(uint32_t(uint64_t(startMs) >> 32)).u32(uint32_t(startMs));
        children.push_back(mp4::leaf("sttm", sttm));
    }
    children.push_back(mp4::leaf("gps ", mp4::Payload().text(log)));
    children.push_back(mp4::leaf("3gf ", gsensor));
    return mp4::container("free", children);
}

void writeBlackVue(const std::string& path, const std::vector<DrivePoint>& points, const BlackVueOptions& options) {
    const mp4::Box box = blackVueBox(points, options);
    writeCameraFile(path, int(points.size()), [&](mp4::MovieEdit& edit) { edit.addAfterMovie(box); });
}

}  // namespace testgen
