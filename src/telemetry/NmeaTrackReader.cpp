#include "NmeaTrackReader.h"

#include "Mp4Walk.h"
#include "Nmea.h"

namespace telemetry {
namespace {

// A second's sentences of every constellation fit many times over.
constexpr uint32_t kSampleLimit = 64u << 10;

bool isTextFormat(const std::string& format) { return format == "tx3g" || format == "text"; }

// A timed-text sample: a 2-byte big-endian length, then the text (styles may follow).
std::string_view textOf(std::span<const uint8_t> bytes) {
    if (bytes.size() < 2) return {};
    const size_t length = std::min<size_t>(be16(bytes.data()), bytes.size() - 2);
    return {reinterpret_cast<const char*>(bytes.data() + 2), length};
}

// "$" and a talker's two letters, then RMC or GGA: the sentences that give samples.
bool startsWithFix(std::string_view text) {
    const size_t at = text.find_first_not_of(" \r\n");
    if (at == std::string_view::npos || text.size() - at < 7 || text[at] != '$') return false;
    const std::string_view type = text.substr(at + 3, 3);
    return (type == "RMC" || type == "GGA") && text[at + 6] == ',';
}

}  // namespace

std::optional<Mp4Track> NmeaTrackReader::sentenceTrack(const FileBytes& file) {
    for (const Mp4Track& track : movieTracks(file).tracks) {
        if (!isTextFormat(track.format)) continue;
        const auto first = firstSample(file, track);
        if (!first) continue;
        const auto bytes = sampleBytes(file, *first, kSampleLimit);
        if (bytes && startsWithFix(textOf(*bytes))) return track;
    }
    return std::nullopt;
}

bool NmeaTrackReader::recognises(const FileBytes& file) const { return sentenceTrack(file).has_value(); }

ReadResult NmeaTrackReader::read(const std::string& path) const {
    const RandomAccessFile file(path);
    const auto track = sentenceTrack(file);
    if (!track) return ReadFailure{"no text track of NMEA sentences"};
    nmea::SampleBuilder builder;
    const std::string why = forEachSample(file, *track, kSampleLimit, [&builder](auto bytes, double start, double) {
        std::string_view text = textOf(bytes);
        // Each sentence from its "$"; the first carries the sample's place in the video.
        for (size_t at = text.find('$'); at != std::string_view::npos;) {
            const size_t next = text.find('$', at + 1);
            builder.add(text.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at), start);
            at = next;
        }
        return std::string();
    });
    if (!why.empty()) return ReadFailure{"damaged NMEA track: " + why};
    std::vector<Sample> samples = builder.finish();
    if (samples.empty() && builder.skipped() > 0)
        return ReadFailure{"no readable sentence in the NMEA track: " + std::to_string(builder.skipped()) +
                           " damaged or with a wrong checksum"};
    return samples;
}

}  // namespace telemetry
