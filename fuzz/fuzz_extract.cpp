// libFuzzer target: whatever the bytes of a file, the scan returns, and the mapped
// read agrees with the whole-file read.
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

    Class_Video_Info mapped, whole;
    Extract_Subtitle().ExtractSubtitle(mapped, path);
    Extract_Subtitle([](const std::string& p) { return std::make_unique<WholeFile>(p); }).ExtractSubtitle(whole, path);
    if (!(mapped == whole)) {
        std::fprintf(stderr, "mapped and whole-file scans disagree\n");
        std::abort();
    }
    if (mapped.isSupportSubtitle) {
        // A completed scan keeps its invariants.
        const size_t n = mapped.num_subtitle;
        if (mapped.array_SubtileInfo->size() != n || mapped.array_subtitle_final->size() != n ||
            mapped.array_addrOfSubtitle->size() != n || mapped.array_lengthOfSubtitle->size() != n ||
            mapped.duration_second == 0 || mapped.gapSubtitlePerSecond * mapped.duration_second < n)
            std::abort();
    }
    return 0;
}
