// libFuzzer target for a reader of a timed-metadata track, built once per reader:
// the input is read both as a whole file through the registry and as one of the
// reader's payloads, so mutations reach the payload decoder without first having
// to keep a movie box intact. Whatever the bytes, the read returns, and the
// samples are numbers every consumer can take as they are.
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CammReader.h"
#include "GoProReader.h"
#include "Mp4Tracks.h"
#include "PositionFix.h"
#include "TelemetryReader.h"
#include "recording_file.h"

using namespace telemetry;

namespace {
bool finite(const std::optional<double>& v) { return !v || std::isfinite(*v); }

bool usable(const Sample& s) {
    return std::isfinite(s.videoSeconds) && s.videoSeconds >= 0 &&
           (!s.fix || (isUsableCoordinate(s.fix->lat, s.fix->lon) && finite(s.fix->altitudeMetres))) &&
           finite(s.speedKmh) && (!s.speedKmh || *s.speedKmh >= 0) && finite(s.headingDegrees) && finite(s.g[0]) &&
           finite(s.g[1]) && finite(s.g[2]);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzzcheck::recordingOf(data, size);

    const std::span<const uint8_t> bytes(data, size);
#if defined(FUZZ_GOPRO)
    if (const auto payload = parseGpmf(bytes))
        for (const Sample& s : gpmfSamples(*payload, 0, 1))
            if (!usable(s)) std::abort();
#elif defined(FUZZ_CAMM)
    if (const auto samples = cammSamples(bytes, 0, 1))
        for (const Sample& s : *samples)
            if (!usable(s)) std::abort();
#endif

    // The tables of every track, whatever they claim, stay inside their limits.
    const RandomAccessFile file(path);
    for (const Mp4Track& track : movieTracks(file).tracks) {
        const SampleTable table = trackSamples(file, track, 1 << 16);
        if (table.samples.size() > (1 << 16) || (!table.damage.empty() && !table.samples.empty())) std::abort();
    }

    const RecordingSamples read = ReaderRegistry::standard().read(path);
    if (const auto* samples = std::get_if<std::vector<Sample>>(&read.result)) {
        if (read.reader.empty() && !samples->empty()) std::abort();
        for (const Sample& s : *samples)
            if (!usable(s)) std::abort();
    } else if (std::get<ReadFailure>(read.result).reason.empty()) {
        std::abort();
    }
    return 0;
}
