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
#include "usable_samples.h"

using namespace telemetry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int fd = [] {
        setLogSink([](std::string_view) {});
        const int f = ::memfd_create("fuzz-recording", MFD_CLOEXEC);
        if (f < 0) std::abort();
        return f;
    }();
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
    const RecordingSamples read = ReaderRegistry::standard().read("/proc/self/fd/" + std::to_string(fd));
    if (read.reader != FUZZED_READER) return 0;
    if (const auto* samples = std::get_if<std::vector<Sample>>(&read.result)) fuzzcheck::requireUsable(*samples);
    else if (std::get<ReadFailure>(read.result).reason.empty()) std::abort();
    return 0;
}
