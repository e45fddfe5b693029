#include "BlackVueReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "Mp4Walk.h"
#include "Nmea.h"

namespace telemetry {
namespace {

// An hour's log at ten sentences a second is a few megabytes.
constexpr uint64_t kMostLogBytes = 32u << 20;

struct CameraBox {
    BoxAt box;
    bool cut = false;  // its size runs past the end of the file
};

bool isCameraBox(const FileBytes& file, const BoxAt& box) {
    static constexpr std::string_view kChildren[] = {"cprt", "sttm", "ptnm", "ptrh", "thum", "gps ", "3gf "};
    uint8_t h[8];
    if (box.type != "free" || box.payloadSize() < 8 || !file.read(box.payload(), 8, h)) return false;
    const std::string_view type(reinterpret_cast<const char*>(h + 4), 4);
    return std::ranges::find(kChildren, type) != std::end(kChildren);
}

std::optional<CameraBox> cameraBox(const FileBytes& file) {
    const BoxList top = topLevelBoxes(file);
    for (const BoxAt& box : top.boxes)
        if (isCameraBox(file, box)) return CameraBox{box};
    if (top.damagedAt)
        if (const auto claimed = claimedBoxAt(file, *top.damagedAt); claimed && isCameraBox(file, *claimed))
            return CameraBox{*claimed, true};
    return std::nullopt;
}

std::optional<uint64_t> stamp(std::string_view& line) {
    if (line.empty() || line[0] != '[') return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos || close < 2 || close > 20) return std::nullopt;
    uint64_t ms = 0;
    const auto [end, error] = std::from_chars(line.data() + 1, line.data() + close, ms);
    if (error != std::errc() || end != line.data() + close) return std::nullopt;
    line.remove_prefix(close + 1);
    return ms;
}

void addLog(nmea::SampleBuilder& builder, std::string_view log, std::optional<uint64_t> start) {
    while (!log.empty()) {
        const size_t end = std::min(log.find('\n'), log.size());
        std::string_view line = log.substr(0, end);
        log.remove_prefix(std::min(end + 1, log.size()));
        const std::optional<uint64_t> ms = stamp(line);
        if (ms && !start) start = ms;
        // A stamp before the video's start has no place in it.
        if (ms && *ms < *start) continue;
        builder.add(line, ms ? std::optional<double>(double(*ms - *start) / 1000) : std::nullopt);
    }
}

// Records of a 32-bit time in milliseconds into the video and three 16-bit axes in
// tenths of a g, big-endian; a time of all ones ends them.
void addGSensor(std::vector<Sample>& samples, const std::vector<uint8_t>& records) {
    std::map<long long, size_t> byMs;
    for (size_t i = 0; i < samples.size(); ++i) byMs.emplace(std::llround(samples[i].videoSeconds * 1000), i);
    for (size_t at = 0; at + 10 <= records.size(); at += 10) {
        const uint8_t* r = records.data() + at;
        const uint32_t ms = be32(r);
        if (ms == 0xffffffff) break;
        const std::array<std::optional<double>, 3> g = {int16_t(be16(r + 4)) / 10.0, int16_t(be16(r + 6)) / 10.0,
                                                        int16_t(be16(r + 8)) / 10.0};
        const auto same = byMs.find(ms);
        if (same != byMs.end() && !samples[same->second].g[0]) {
            samples[same->second].g = g;
            continue;
        }
        Sample s;
        s.videoSeconds = ms / 1000.0;
        s.g = g;
        samples.push_back(s);
    }
    std::ranges::stable_sort(samples, {}, &Sample::videoSeconds);
}

}  // namespace

bool BlackVueReader::recognises(const FileBytes& file) const { return cameraBox(file).has_value(); }

ReadResult BlackVueReader::read(const std::string& path) const {
    const RandomAccessFile file(path);
    const auto camera = cameraBox(file);
    if (!camera) return std::vector<Sample>{};
    // Its log and G-sensor boxes may be whole before the cut, but which of them the
    // cut took cannot be told: the reason, not part of the drive.
    if (camera->cut) return ReadFailure{"the BlackVue data box is cut short"};
    const BoxList children = childrenOf(file, camera->box);
    if (children.damagedAt) return ReadFailure{"a damaged box inside the BlackVue data"};

    std::optional<uint64_t> start;
    if (const auto sttm = firstOf(children, "sttm")) {
        uint8_t b[8];
        if (sttm->payloadSize() >= 8 && file.read(sttm->payload(), 8, b)) start = be64(b);
    }
    nmea::SampleBuilder builder;
    if (const auto gps = firstOf(children, "gps ")) {
        const auto log = payloadOf(file, *gps, kMostLogBytes);
        if (!log) return ReadFailure{"the BlackVue GPS log is too large or unreadable"};
        addLog(builder, std::string_view(reinterpret_cast<const char*>(log->data()), log->size()), start);
    }
    std::vector<Sample> samples = builder.finish();
    if (const auto gsensor = firstOf(children, "3gf ")) {
        const auto records = payloadOf(file, *gsensor, kMostLogBytes);
        if (!records) return ReadFailure{"the BlackVue G-sensor log is too large or unreadable"};
        addGSensor(samples, *records);
    }
    if (samples.empty() && builder.skipped() > 0)
        return ReadFailure{"no readable GPS sentence: " + std::to_string(builder.skipped()) +
                           " damaged or with a wrong checksum"};
    return samples;
}

}  // namespace telemetry
