#pragma once
// NMEA 0183 sentences as GPS receivers write them, wherever a camera keeps them: a
// log box, a timed-text track, a file beside the video. Only RMC (date, position,
// speed, course) and GGA (fix quality, satellites, HDOP, altitude) carry what a
// sample needs; other sentences pass unread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "Sample.h"

namespace telemetry::nmea {

struct Rmc {
    int64_t timeOfDayMs = 0;        // UTC
    std::optional<int64_t> dayUtc;  // days since 1970-01-01, where the date field is whole
    bool active = false;            // status A; V is a receiver without a fix
    std::optional<double> lat, lon;
    std::optional<double> speedKnots, courseDegrees;
};

struct Gga {
    int64_t timeOfDayMs = 0;  // UTC
    std::optional<double> lat, lon;
    int quality = 0;  // 0 no fix, 1 GPS, 2 differential ...
    std::optional<int> satellites;
    std::optional<double> hdop, altitudeMetres;
};

enum class Verdict {
    Read,         // an RMC or GGA, whole and checked
    Other,        // a whole sentence of another type, or not one at all
    BadChecksum,  // its checksum does not match, or it has none where one is required
    Cut,          // ends before its fields do: a sentence cut in half
};

struct Sentence {
    Verdict verdict = Verdict::Other;
    std::variant<std::monostate, Rmc, Gga> value;
};

// One sentence from its "$" to the end of its checksum (line ends are trimmed). Any
// talker (GP, GN, GL, GA, BD ...) is taken. Numbers are read strictly: a field that is
// not wholly digits with one point leaves its value absent, and a position out of
// range is absent, never 0.
Sentence parseSentence(std::string_view text, bool checksumRequired = true);

// Turns a stream of sentences into samples: each RMC gives one, and a GGA of the same
// time of day, before or after it, adds its altitude and fix quality.
class SampleBuilder {
public:
    explicit SampleBuilder(bool checksumRequired = true) : checksumRequired_(checksumRequired) {}

    // One sentence; videoSeconds is where the camera stamped it in the video, when it
    // did. Without it, a sample sits at the time since the first sample's time.
    void add(std::string_view sentence, std::optional<double> videoSeconds = std::nullopt);
    // Every sentence of a text, one a line (or each from its "$").
    void addText(std::string_view text);

    // The samples in the order read. Samples that have neither a stamp nor a dated time
    // cannot be placed in the video and are left out.
    std::vector<Sample> finish();

    size_t badChecksums() const { return badChecksums_; }
    size_t cutSentences() const { return cutSentences_; }
    size_t skipped() const { return badChecksums_ + cutSentences_; }

private:
    struct Pending {
        Sample sample;
        int64_t timeOfDayMs = 0;
        bool stamped = false;
    };
    void addRmc(const Rmc& rmc, std::optional<double> videoSeconds);
    void addGga(const Gga& gga);

    bool checksumRequired_;
    std::vector<Pending> pending_;
    std::optional<Gga> unmatchedGga_;  // a GGA that came before its RMC
    size_t badChecksums_ = 0, cutSentences_ = 0;
};

}  // namespace telemetry::nmea
