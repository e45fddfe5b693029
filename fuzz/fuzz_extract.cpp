// libFuzzer target: whatever the bytes of a file, the scan returns, and reading only
// the ranges it looks at agrees with reading the file whole.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Extract_Subtitle.h"
#include "Log.h"

using namespace telemetry;

namespace {
int fileDescriptor() {
    static const int fd = [] {
        setLogSink([](std::string_view) {});
        const int f = ::memfd_create("fuzz-recording", MFD_CLOEXEC);
        if (f < 0) std::abort();
        return f;
    }();
    return fd;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = fileDescriptor();
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    Class_Video_Info ranges, whole;
    Extract_Subtitle().ExtractSubtitle(ranges, path);
    Extract_Subtitle([](const std::string& p) { return std::make_unique<WholeFile>(p); }).ExtractSubtitle(whole, path);
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
    return 0;
}
