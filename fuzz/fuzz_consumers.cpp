// libFuzzer target for what consumes decoded samples: trips, events, statistics, track
// runs, every track export and the clip overlay. The samples come either from a
// reader (the input read as a file through the registry) or straight from the bytes,
// within what a reader promises (finite numbers, coordinates on the globe, video
// order) but otherwise as extreme as the bytes make them. Whatever they are, nothing
// crashes, every export parses as its format, and no number is written as nan or inf.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QBuffer>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QTimeZone>
#include <QXmlStreamReader>

#include "ClipPlan.h"
#include "Events.h"
#include "Log.h"
#include "Overlay.h"
#include "PositionFix.h"
#include "Statistics.h"
#include "TelemetryReader.h"
#include "Track.h"
#include "TrackExport.h"
#include "Trips.h"
#include "recording_file.h"
#include "usable_samples.h"

using namespace telemetry;

namespace {

[[noreturn]] void fail(const char* why) {
    std::fprintf(stderr, "%s\n", why);
    std::abort();
}

std::vector<Sample> samplesFromReader(std::span<const uint8_t> bytes) {
    const RecordingSamples read = ReaderRegistry::standard().read(fuzzcheck::recordingOf(bytes.data(), bytes.size()));
    if (const auto* samples = std::get_if<std::vector<Sample>>(&read.result)) return *samples;
    return {};
}

// A double the bytes choose, edges included, that passes keep.
template <class Keep>
std::optional<double> someDouble(FuzzedDataProvider& in, Keep keep) {
    if (!in.ConsumeBool()) return std::nullopt;
    const double v = in.ConsumeBool() ? in.ConsumeFloatingPoint<double>() : double(in.ConsumeIntegral<int16_t>()) / 8;
    return keep(v) ? std::optional(v) : std::nullopt;
}

std::vector<Sample> samplesFromBytes(FuzzedDataProvider& in) {
    std::vector<Sample> samples(in.ConsumeIntegralInRange<size_t>(0, 400));
    double videoSeconds = 0;
    for (Sample& s : samples) {
        videoSeconds += someDouble(in, [](double v) { return v >= 0 && v < 1e6; }).value_or(0);
        s.videoSeconds = videoSeconds;
        if (in.ConsumeBool())
            s.time = RecordedTime{std::chrono::milliseconds(in.ConsumeIntegral<int64_t>()),
                                  in.ConsumeBool() ? RecordedTime::Clock::Utc : RecordedTime::Clock::Camera};
        if (in.ConsumeBool()) {
            const double lat = in.ConsumeFloatingPointInRange(-90.0, 90.0);
            const double lon = in.ConsumeFloatingPointInRange(-180.0, 180.0);
            if (isUsableCoordinate(lat, lon))
                s.fix = GeoPoint{lat, lon, someDouble(in, [](double v) { return std::isfinite(v); })};
        }
        s.speedKmh = someDouble(in, [](double v) { return std::isfinite(v) && v >= 0; });
        s.headingDegrees = someDouble(in, [](double v) { return std::isfinite(v); });
        for (auto& g : s.g) g = someDouble(in, [](double v) { return std::isfinite(v); });
        if (in.ConsumeBool()) s.fixQuality = std::array{0, 2, 3}[in.ConsumeIntegralInRange(0, 2)];
    }
    return samples;
}

const QRegularExpression& notANumber() {
    static const QRegularExpression re(QStringLiteral("(?<![A-Za-z_])-?(nan|inf)(?![A-Za-z_])"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

void requireWellFormed(track_export::TrackFormat format, const QByteArray& bytes) {
    using track_export::TrackFormat;
    if (format == TrackFormat::GeoJson) {
        QJsonParseError error;
        if (QJsonDocument::fromJson(bytes, &error).isNull()) fail("GeoJSON export does not parse");
    } else if (format != TrackFormat::Csv) {
        QXmlStreamReader xml(bytes);
        while (!xml.atEnd()) xml.readNext();
        if (xml.hasError()) fail("XML export does not parse");
    }
    if (QString::fromUtf8(bytes).contains(notANumber())) fail("an export wrote nan or inf");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const bool fromReader = in.ConsumeBool();
    const int recordings = in.ConsumeIntegralInRange(1, 3);
    const auto sensitivity = static_cast<trips::Sensitivity>(in.ConsumeIntegralInRange(0, 2));
    const QTimeZone zone(in.ConsumeIntegralInRange(-14 * 3600, 14 * 3600));
    const int64_t unit = in.ConsumeIntegralInRange(0, 1);
    const double clipFrom = in.ConsumeFloatingPoint<double>(), clipTo = in.ConsumeFloatingPoint<double>();

    std::vector<std::vector<Sample>> samples(static_cast<size_t>(recordings));
    if (fromReader) {
        // A reader's recording, then copies of it as the next recordings of the drive.
        const std::vector<uint8_t> file = in.ConsumeRemainingBytes<uint8_t>();
        samples[0] = samplesFromReader(file);
        for (size_t i = 1; i < samples.size(); ++i) samples[i] = samples[0];
    } else {
        for (auto& recording : samples) recording = samplesFromBytes(in);
    }
    for (const auto& recording : samples) fuzzcheck::requireUsable(recording);

    const trips::EventThresholds thresholds = trips::thresholdsFor(sensitivity);
    std::vector<trips::RecordingSummary> summaries;
    std::vector<double> durations;
    for (size_t i = 0; i < samples.size(); ++i) {
        const auto& recording = samples[i];
        summaries.push_back(trips::summarizeRecording(recording, i, thresholds));
        const trips::RecordingSummary& summary = summaries.back();
        if (summary.events != trips::findEvents(recording, i, thresholds)) fail("summary and findEvents disagree");
        const trips::Statistics& stats = summary.statistics;
        if (!std::isfinite(stats.distanceMetres) || stats.distanceMetres < 0 || !std::isfinite(stats.movingSeconds) ||
            stats.movingSeconds < 0 || !std::isfinite(stats.averageSpeedKmh()))
            fail("statistics are not numbers");
        double last = -1;
        for (const trips::Event& e : summary.events) {
            if (e.recording != i || !std::isfinite(e.videoSeconds) || !std::isfinite(e.peak)) {
                std::fprintf(stderr, "event at %g, peak %g\n", e.videoSeconds, e.peak);
                fail("an event is not numbers");
            }
            if (e.videoSeconds < last) {
                std::fprintf(stderr, "event at %g after one at %g\n", e.videoSeconds, last);
                fail("events out of order");
            }
            last = e.videoSeconds;
        }
        for (const size_t step : {size_t(1), size_t(7)})
            for (const auto& run : trips::trackRuns(recording, step))
                for (const GeoPoint& p : run)
                    if (!isUsableCoordinate(p.lat, p.lon)) fail("a track point off the globe");
        durations.push_back(recording.empty() ? 1.0 : recording.back().videoSeconds + 1);
    }

    const std::vector<trips::Trip> tripList = trips::groupTrips(summaries);
    size_t covered = 0;
    for (const trips::Trip& trip : tripList) {
        if (trip.firstRecording != covered || trip.recordings == 0) fail("trips do not cover the recordings in order");
        covered += trip.recordings;
    }
    if (covered != samples.size() || trips::tripOfRecording(tripList).size() != samples.size())
        fail("a recording in no trip or two");

    using track_export::TrackFormat;
    for (const TrackFormat format :
         {TrackFormat::Gpx, TrackFormat::Gpx10, TrackFormat::Kml, TrackFormat::GeoJson, TrackFormat::Csv}) {
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        track_export::TrackWriter writer(format, out, zone);
        for (size_t i = 0; i < samples.size(); ++i) {
            track_export::TrackRecording recording;
            recording.fileName = QStringLiteral("REC_%1.MP4").arg(i);
            recording.durationSeconds = int64_t(durations[i]);
            recording.samples = samples[i];
            writer.add(recording);
        }
        writer.finish();
        requireWellFormed(format, bytes);
    }

    for (const auto& recording : samples)
        for (const Sample& s : recording)
            if (clips::overlayText(s, unit).contains(notANumber())) fail("the overlay wrote nan or inf");
    if (const auto pieces = clips::planClip(durations, clipFrom, clipTo)) {
        const QString script = clips::overlayScript(*pieces, samples, unit);
        if (script.contains(notANumber())) fail("the overlay script wrote nan or inf");
    }
    return 0;
}
