#include "TelemetryReader.h"

#include "BlackVueReader.h"
#include "CammReader.h"
#include "GoProReader.h"
#include "NmeaSidecarReader.h"
#include "NmeaTrackReader.h"
#include "NovatekReader.h"
#include "SeventyMaiReader.h"
#include "SubtitleTrackReader.h"

namespace telemetry {

ReaderRegistry::ReaderRegistry() {
    readers_.push_back(std::unique_ptr<TelemetryReader>(new SubtitleTrackReader));
    readers_.push_back(std::unique_ptr<TelemetryReader>(new GoProReader));
    readers_.push_back(std::unique_ptr<TelemetryReader>(new BlackVueReader));
    readers_.push_back(std::unique_ptr<TelemetryReader>(new SeventyMaiReader));
    readers_.push_back(std::unique_ptr<TelemetryReader>(new NovatekReader));
    readers_.push_back(std::unique_ptr<TelemetryReader>(new CammReader));
    readers_.push_back(std::unique_ptr<TelemetryReader>(new NmeaTrackReader));
}

const ReaderRegistry& ReaderRegistry::standard() {
    static const ReaderRegistry registry;
    return registry;
}

const TelemetryReader* ReaderRegistry::readerFor(const FileBytes& file) const {
    for (const auto& reader : readers_)
        if (reader->recognises(file)) return reader.get();
    return nullptr;
}

RecordingSamples ReaderRegistry::read(const std::string& path) const {
    if (std::string reason = unreadableReason(path); !reason.empty()) return {{}, ReadFailure{std::move(reason)}};
    const TelemetryReader* reader = readerFor(RandomAccessFile(path));
    // Asked last, by the path: a log beside a video whose own bytes no reader knows.
    static const NmeaSidecarReader sidecar;
    if (!reader && NmeaSidecarReader::sidecarOf(path)) reader = &sidecar;
    if (!reader) return {{}, std::vector<Sample>{}};
    return {std::string(reader->name()), reader->read(path)};
}

}  // namespace telemetry
