#include "SubtitleTrackReader.h"

#include <chrono>
#include <cmath>

#include "Extract_Subtitle.h"
#include "PositionFix.h"
#include "SampleClock.h"
#include "TextValues.h"

namespace telemetry {
namespace {

// A damaged text reads as 0 by the text rules; as a number it is simply absent.
std::optional<double> number(const SampleText& text) {
    if (!text || !isDecimalNumber(text.view())) return std::nullopt;
    const double v = floatingValue(text);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<RecordedTime> cameraClockTime(const Class_Subtitle_Info& s) {
    const auto seconds = cameraClockSeconds(s);
    if (!seconds) return std::nullopt;
    return RecordedTime{std::chrono::seconds(*seconds), RecordedTime::Clock::Camera};
}

Sample sampleOf(const Class_Subtitle_Info& s) {
    Sample out;
    out.time = cameraClockTime(s);
    if (const auto p = positionFix(s)) out.fix = GeoPoint{p->latitude, p->longitude, std::nullopt};
    // Beyond this a damaged text, not a car.
    if (const auto v = number(s.speed); v && *v >= 0 && *v <= 500) out.speedKmh = v;
    // Whole degrees, as the marker turns by it.
    if (number(s.heading)) out.headingDegrees = double(integerValue(s.heading));
    out.g = {number(s.gx), number(s.gy), number(s.gz)};
    return out;
}

}  // namespace

std::vector<Sample> samplesOf(const Class_Video_Info& record) {
    std::vector<Sample> out;
    if (!record.array_SubtileInfo || record.num_subtitle == 0) return out;
    const auto& texts = *record.array_SubtileInfo;
    out.reserve(texts.size());
    for (size_t k = 0; k < texts.size(); ++k) {
        Sample s = sampleOf(texts[k]);
        s.videoSeconds = double(k) * record.duration_second / record.num_subtitle;
        out.push_back(s);
    }
    return out;
}

bool SubtitleTrackReader::recognises(const FileBytes& file) const { return hasVendorMarker(file); }

ReadResult SubtitleTrackReader::read(const std::string& path) const {
    Class_Video_Info record;
    if (Extract_Subtitle().ExtractSubtitle(record, path)) return samplesOf(record);
    if (record.duration == 0) return ReadFailure{"no video length in the movie header"};
    const size_t read = record.array_SubtileInfo ? record.array_SubtileInfo->size() : 0;
    return ReadFailure{"damaged telemetry track: " + std::to_string(read) + " of " +
                       std::to_string(record.num_subtitle) + " samples readable"};
}

}  // namespace telemetry
