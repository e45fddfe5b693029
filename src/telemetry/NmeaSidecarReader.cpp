#include "NmeaSidecarReader.h"

#include <filesystem>
#include <system_error>

#include "Nmea.h"

namespace telemetry {
namespace {

// Two days of sentences at ten a second.
constexpr uint64_t kMostBytes = 64u << 20;

}  // namespace

std::optional<std::string> NmeaSidecarReader::sidecarOf(const std::string& videoPath) {
    namespace fs = std::filesystem;
    const fs::path video(videoPath);
    for (const char* extension : {".nmea", ".NMEA"}) {
        fs::path sidecar = video;
        sidecar.replace_extension(extension);
        std::error_code error;
        // A log is beside a video, never the video itself.
        if (sidecar != video && fs::is_regular_file(sidecar, error)) return sidecar.string();
    }
    return std::nullopt;
}

ReadResult NmeaSidecarReader::read(const std::string& videoPath) const {
    const auto sidecar = sidecarOf(videoPath);
    if (!sidecar) return std::vector<Sample>{};
    if (std::string reason = unreadableReason(*sidecar); !reason.empty())
        return ReadFailure{"the NMEA file beside the video: " + reason};
    const RandomAccessFile file(*sidecar);
    if (file.size() > kMostBytes) return ReadFailure{"the NMEA file beside the video is too large"};
    std::string text(size_t(file.size()), '\0');
    if (!text.empty() && !file.read(0, text.size(), reinterpret_cast<uint8_t*>(text.data())))
        return ReadFailure{"the NMEA file beside the video cannot be read"};

    nmea::SampleBuilder builder;
    builder.addText(text);
    std::vector<Sample> samples = builder.finish();
    if (samples.empty() && builder.skipped() > 0)
        return ReadFailure{"no readable sentence in the NMEA file: " + std::to_string(builder.skipped()) +
                           " damaged or with a wrong checksum"};
    return samples;
}

}  // namespace telemetry
