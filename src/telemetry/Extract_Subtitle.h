#pragma once
// Fills a Class_Video_Info from one dashcam MP4 file. The scan does not walk the
// box tree: it searches byte patterns in bounded windows and reads big-endian
// fields at fixed distances from them, as the camera lays its files out.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Class_Subtitle_Info.h"
#include "Class_Video_Info.h"
#include "FileBytes.h"

namespace telemetry {

// Bounds against hostile tables: a damaged count or size would otherwise make the
// scan allocate without limit. Real cameras write about one sample of about 100
// bytes per second of video, far below both.
inline constexpr uint32_t kMaxSamples = 250000;
inline constexpr uint64_t kMaxSampleBytes = 64ull << 20;

class Extract_Subtitle {
public:
    using Loader = std::function<std::unique_ptr<FileBytes>(const std::string& path)>;

    Extract_Subtitle();  // reads only the ranges the scan looks at
    explicit Extract_Subtitle(Loader loader);

    // Never throws. The outcome is in the record: isSupportSubtitle 1 when the scan
    // completed; after a failure the fields set before it keep their values.
    int32_t ExtractSubtitle(Class_Video_Info& record, const std::string& path) noexcept;

    std::unique_ptr<FileBytes> data;                 // the file's bytes during a scan
    std::optional<Class_Subtitle_Info> SubtitleInfo;  // set fresh by the second phase

private:
    void scan(Class_Video_Info& record, const std::string& path);
    // File name parts, attributes and the scan date; opens the file.
    void readFileFacts(Class_Video_Info& record, const std::string& path);
    // Duration and time scale; false when the recording has no duration.
    bool readMovieHeader(Class_Video_Info& record);
    // The telemetry track's size and offset of every sample, into the record.
    void readSampleTables(Class_Video_Info& record);
    // Reads, decodes and summarises every sample.
    void readSamples(Class_Video_Info& record);

    Loader loader_;
    uint64_t movieEnd_ = 0;  // end of the movie box, 0 when the movie window shows none
};

// Whether the movie window the scan reads first holds the vendor marker that this
// camera writes ahead of its telemetry track. Reads what the scan's first step reads.
bool hasVendorMarker(const FileBytes& file) noexcept;

// Whether the bytes are well-formed UTF-8 (no overlongs, surrogates or values
// beyond U+10FFFF).
bool isValidUtf8(std::string_view bytes);

}  // namespace telemetry
