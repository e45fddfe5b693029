// libFuzzer target for the readers of boxes at the top of a movie file (BlackVue,
// 70mai; which one is chosen at build time): whatever the bytes, the read returns,
// the reader that claims them is the one fuzzed or none, and its samples are usable.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Log.h"
#include "TelemetryReader.h"
#include "recording_file.h"
#include "usable_samples.h"

using namespace telemetry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const RecordingSamples read = ReaderRegistry::standard().read(fuzzcheck::recordingOf(data, size));
    if (read.reader != FUZZED_READER) return 0;
    if (const auto* samples = std::get_if<std::vector<Sample>>(&read.result)) fuzzcheck::requireUsable(*samples);
    else if (std::get<ReadFailure>(read.result).reason.empty()) std::abort();
    return 0;
}
