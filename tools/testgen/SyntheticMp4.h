#pragma once
// Writes dashcam-layout MP4 files: ftyp, then mdat holding video chunks and the
// telemetry samples between them, as a camera interleaves them, then moov with a
// version-0 mvhd, an H.264 video track, a box holding the vendor marker, and the
// timed-text telemetry track (one sample per chunk). Each video sample holds a
// small grey frame and filler, so players and tag readers accept the file.
// Every fault the scan must survive can be dialled in.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testgen {

struct SyntheticOptions {
    // Raw sample bytes as stored in mdat; use timedTextSample() for real ones.
    std::vector<std::string> samples;
    uint32_t timescale = 1000;
    uint32_t duration = 60000;
    uint32_t rate = 0x00010000;  // 1.0 in 16.16
    int mvhdVersion = 0;         // 1 writes 64-bit times and duration

    uint64_t videoBytesPerSample = 1024;  // the video sample before each telemetry sample
    bool sparseVideo = false;             // leave the filler in video samples as holes (big files, cheaply)

    bool mdatInHeader = true;  // false: a 'free' box of 80 bytes stands before mdat
    bool marker = true;        // the "Ambarella EXT" box before the telemetry track
    bool telemetryStsz = true;
    bool telemetryStco = true;
    uint32_t markerPadding = 0;  // filler after the marker, before the telemetry track
    uint64_t moovGap = 0;        // bytes between the end of mdat and moov (mdat size unchanged)
    uint32_t trailer = 0;        // a 'free' box of this many bytes after moov (0: none)

    std::optional<uint32_t> stszCount;  // overrides the sample count written in stsz
    std::vector<std::pair<size_t, uint32_t>> sizeOverrides;    // (sample, size entry)
    std::vector<std::pair<size_t, uint32_t>> offsetOverrides;  // (sample, offset entry)
    std::optional<uint64_t> truncateAt;  // cut the finished file to this length
};

struct SyntheticLayout {
    uint64_t mdatOffset = 0;
    uint32_t mdatSize = 0;
    uint64_t moovOffset = 0;
    uint64_t mvhdTypeOffset = 0;    // offset of "mvhd"
    uint64_t markerOffset = 0;      // offset of "Amba", 0 without marker
    uint64_t stszCountOffset = 0;   // telemetry stsz sample-count field, 0 without
    uint64_t stcoEntriesOffset = 0; // telemetry stco first entry, 0 without
    std::vector<uint32_t> sampleOffsets;
    std::vector<uint32_t> sampleSizes;
    uint64_t fileSize = 0;
};

// Builds the whole file in memory (sparseVideo ignored).
std::vector<uint8_t> buildSynthetic(const SyntheticOptions& options, SyntheticLayout* layout = nullptr);
// Writes it to path; with sparseVideo the video bytes are holes. Throws on I/O errors.
SyntheticLayout writeSynthetic(const std::string& path, const SyntheticOptions& options);

}  // namespace testgen
