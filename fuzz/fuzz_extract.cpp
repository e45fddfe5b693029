// libFuzzer target: whatever the bytes of a file, the scan returns, and reading only
// the ranges it looks at agrees with reading the file whole; the samples the readers
// make of it are numbers every consumer can take as they are.
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "Extract_Subtitle.h"
#include "Log.h"
#include "PositionFix.h"
#include "TelemetryReader.h"
#include "recording_file.h"

using namespace telemetry;

namespace {
bool finite(const std::optional<double>& v) { return !v || std::isfinite(*v); }

bool usable(const Sample& s, double videoEnd) {
    return std::isfinite(s.videoSeconds) && s.videoSeconds >= 0 && s.videoSeconds <= videoEnd &&
           (!s.fix || (isUsableCoordinate(s.fix->lat, s.fix->lon) && finite(s.fix->altitudeMetres))) &&
           finite(s.speedKmh) && finite(s.headingDegrees) && finite(s.g[0]) && finite(s.g[1]) && finite(s.g[2]);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzzcheck::recordingOf(data, size);

    Class_Video_Info ranges, whole;
    const std::time_t minuteBefore = std::time(nullptr) / 60;  // any zone's midnight is on a minute
    Extract_Subtitle().ExtractSubtitle(ranges, path);
    Extract_Subtitle([](const std::string& p) { return std::make_unique<WholeFile>(p); }).ExtractSubtitle(whole, path);
    // A recording without a date takes today's: the two scans differ across midnight.
    if (std::time(nullptr) / 60 != minuteBefore) return 0;
    if (!(ranges == whole)) {
        std::fprintf(stderr, "range reads and whole-file read disagree\n");
        std::abort();
    }
    if (ranges.isSupportSubtitle) {
        // A completed scan keeps its invariants.
        const size_t n = ranges.num_subtitle;
        if (ranges.array_SubtileInfo->size() != n || ranges.array_subtitle_final->size() != n ||
            ranges.array_addrOfSubtitle->size() != n || ranges.array_lengthOfSubtitle->size() != n ||
            ranges.duration_second == 0 || ranges.gapSubtitlePerSecond * ranges.duration_second < n)
            std::abort();
    }

    const RecordingSamples read = ReaderRegistry::standard().read(path);
    // The marker the scan found is what the registry recognises the camera by.
    if (ranges.addrOfAmbarella_EXT != 0 && read.reader != "Ambarella") std::abort();
    // Other cameras' readers may take bytes the scan finds no marker in; their own
    // fuzzers check their samples.
    const auto* samples = std::get_if<std::vector<Sample>>(&read.result);
    if (samples && read.reader.empty() && !samples->empty()) std::abort();
    if (samples && read.reader == "Ambarella") {
        if (samples->size() != ranges.num_subtitle) std::abort();
        for (const Sample& s : *samples)
            if (!usable(s, ranges.duration_second)) std::abort();
    }
    return 0;
}
