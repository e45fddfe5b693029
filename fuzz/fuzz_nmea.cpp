// libFuzzer target for NMEA sentences: the bytes as a stream of sentences, with and
// without required checksums, and as the log beside a video through the registry.
// Whatever they are, the samples are usable and every sentence is counted once at most.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "Log.h"
#include "Nmea.h"
#include "TelemetryReader.h"
#include "usable_samples.h"

using namespace telemetry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path dir = [] {
        setLogSink([](std::string_view) {});
        std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-nmea-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        std::ofstream(std::filesystem::path(pattern) / "video.mp4") << "no camera's layout";
        return std::filesystem::path(pattern);
    }();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t sentences = 0;
    for (char c : text) sentences += c == '$';
    for (bool checksumRequired : {true, false}) {
        nmea::SampleBuilder builder(checksumRequired);
        builder.addText(text);
        if (builder.skipped() > sentences) std::abort();
        fuzzcheck::requireUsable(builder.finish());
    }
    nmea::parseSentence(text);

    std::ofstream(dir / "video.nmea", std::ios::binary | std::ios::trunc).write(text.data(), std::streamsize(size));
    const RecordingSamples read = ReaderRegistry::standard().read((dir / "video.mp4").string());
    if (read.reader != "NMEA") std::abort();
    if (const auto* samples = std::get_if<std::vector<Sample>>(&read.result)) fuzzcheck::requireUsable(*samples);
    return 0;
}
