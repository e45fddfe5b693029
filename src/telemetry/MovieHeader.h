#pragma once
// The movie header's length and creation time, read through the bounded box walk:
// what a recording's row and exports say of any camera's file.

#include <cstdint>
#include <optional>

#include "FileBytes.h"

namespace telemetry {

struct MovieHeader {
    uint32_t timescale = 0;
    uint64_t duration = 0;      // in timescale units
    uint64_t creationTime = 0;  // seconds since 1904-01-01, as the camera's clock read
    double seconds() const { return timescale ? double(duration) / timescale : 0.0; }
};

// None when the file has no readable movie header.
std::optional<MovieHeader> movieHeader(const FileBytes& file);

}  // namespace telemetry
