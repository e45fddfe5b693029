#pragma once
// Recordings as cameras with Novatek's chip write them: a "freeGPS " block a second
// in the media data, in the common little-endian layout, and the `gps ` index of the
// blocks in the movie box. Faults a damaged card brings can be dialled in.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Drive.h"
#include "PlayableMp4.h"

namespace testgen {

struct NovatekOptions {
    BareVideo video = {};  // its seconds are the drive's
    // Bytes per block, header included; cameras write 32 KiB, at least the 92 a record needs.
    uint32_t blockBytes = 0x8000;
    bool index = true;         // without it, readers must scan the media data
    int truncatedBlock = -1;   // this block is cut short before its position, and its index entry says so
    bool indexPastEnd = false; // the last index entry points beyond the end of the file
    bool countTooLarge = false;// the index claims more entries than it holds
    // Set: the position repeated as doubles after the record, with this altitude, as
    // Transcend's cameras write it.
    std::optional<double> altitudeMetres = {};
};

// The block of one second, blockBytes long.
std::string novatekBlock(const DrivePoint& point, uint32_t blockBytes, std::optional<double> altitudeMetres = {});

// Writes path atomically (needs ffmpeg). Throws std::invalid_argument for unusable
// options and std::runtime_error on failure.
void writeNovatek(const std::string& path, const std::vector<DrivePoint>& points, const NovatekOptions& options = {});

}  // namespace testgen
