// libFuzzer target: whatever the bytes of a file that looks like a Novatek recording,
// the reader returns a reason or samples every consumer can take as they are.
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "TelemetryReader.h"
#include "recording_file.h"

using namespace telemetry;

namespace {
bool usable(const Sample& s) {
    const bool fixOk = !s.fix || (std::isfinite(s.fix->lat) && std::isfinite(s.fix->lon) &&
                                  std::abs(s.fix->lat) <= 90 && std::abs(s.fix->lon) <= 180 &&
                                  (!s.fix->altitudeMetres || std::isfinite(*s.fix->altitudeMetres)));
    return fixOk && std::isfinite(s.videoSeconds) && s.videoSeconds >= 0 && s.videoSeconds < 86400 &&
           (!s.time || s.time->clock == RecordedTime::Clock::Utc) &&
           (!s.speedKmh || (std::isfinite(*s.speedKmh) && *s.speedKmh >= 0)) &&
           (!s.headingDegrees || (*s.headingDegrees >= 0 && *s.headingDegrees <= 360)) && !s.g[0] && !s.g[1] &&
           !s.g[2] && !s.fixQuality && (s.fix || (!s.speedKmh && !s.headingDegrees));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzzcheck::recordingOf(data, size);

    const RecordingSamples read = ReaderRegistry::standard().read(path);
    if (read.reader != "Novatek") return 0;
    if (const auto* failure = std::get_if<ReadFailure>(&read.result)) {
        if (failure->reason.empty()) std::abort();
        return 0;
    }
    const auto& samples = std::get<std::vector<Sample>>(read.result);
    if (samples.size() > 86400) std::abort();
    double last = -1;
    for (const Sample& s : samples) {
        // In video order, a block a second.
        if (!usable(s) || s.videoSeconds <= last) std::abort();
        last = s.videoSeconds;
    }
    return 0;
}
