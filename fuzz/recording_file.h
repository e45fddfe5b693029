#pragma once
// The fuzz input as a recording the readers open by its path: a file in memory,
// rewritten for each input, so nothing is left on disk. The log is silenced.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Log.h"

namespace fuzzcheck {

inline std::string recordingOf(const uint8_t* data, size_t size) {
    static const int fd = [] {
        telemetry::setLogSink([](std::string_view) {});
        const int f = ::memfd_create("fuzz-recording", MFD_CLOEXEC);
        if (f < 0) std::abort();
        return f;
    }();
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
    return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace fuzzcheck
