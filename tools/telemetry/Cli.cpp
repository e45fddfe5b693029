#include "Cli.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "DriveJson.h"
#include "Extract_Subtitle.h"
#include "FileBytes.h"
#include "Moments.h"
#include "InspectJson.h"
#include "SamplesJson.h"
#include "SubtitleTrackReader.h"
#include "TelemetryReader.h"
#include "Log.h"
#include "MovieHeader.h"
#include "CameraClock.h"
#include "ClipExport.h"
#include "ClipPlan.h"
#include "ClipWork.h"
#include "Overlay.h"
#include "TrackExport.h"

namespace telemetry_cli {
namespace {

using track_export::TrackFormat;

using telemetry::Class_Video_Info;

constexpr char kProgram[] = "dashcam-telemetry";

constexpr char kHelp[] = R"(Usage: dashcam-telemetry inspect [-o OUT] DIR|FILE...
       dashcam-telemetry samples [-o OUT] DIR|FILE...
       dashcam-telemetry export --format gpx|gpx10|kml|geojson|csv
                         [--utc-offset ±HH:MM] [-o OUT] DIR|FILE...
       dashcam-telemetry trips [-s SENSITIVITY] [-o OUT] DIR|FILE...
       dashcam-telemetry events [-s SENSITIVITY] [-o OUT] DIR|FILE...
       dashcam-telemetry clip --from S --to S [--fast] [--overlay]
                         [--speed-unit kmh|mph] [--strip-telemetry]
                         [--skip-damaged] [--channels main|all]
                         [--layout pip|side] -o OUT DIR|FILE...

Reads the telemetry that a dashcam writes inside its MP4 recordings. A DIR
stands for its recordings as the viewer opens a folder, such as a card's root:
the names ending in .mp4 or .mov in any case in it and its subfolders (five
levels down; hidden and system folders left out), hidden ones left out, sorted
by their paths under DIR with an action camera's chapters in order. The files
of one moment from several cameras (front, rear, interior, told apart by their
names or folders) count as one recording, its front channel's: trips, events,
export and clip read that one, inspect and samples every file.

Commands:
  inspect  Print what the scan of each FILE found, as a JSON array with one
           object per FILE in the order given: every field of the recording
           record under its own name, null where the scan never set it.
  samples  Print the telemetry of each FILE as numbers, the same for every
           camera, as a JSON array with one object per FILE in the order
           given: file, reader (the format's name, left out when no reader
           recognises the file), samples and, when the recording cannot be
           read, reason. Each sample has video_s (its time in the video) and
           where the recording gives them time (ISO 8601, with Z when in UTC)
           and clock (utc, or camera for the camera's own clock), lat and lon
           (signed degrees), altitude_m, speed_kmh, heading_deg, gx, gy and gz
           (in g) and fix_quality; what a sample lacks is left out.
  export   Write the recorded track of each FILE: GPX 1.1 (one track per
           recording; speed and course in a Garmin TrackPointExtension),
           GPX 1.0 (speed and course in the track points' own elements),
           KML (a gx:Track per run of points, speeds in km/h in its
           ExtendedData), GeoJSON (one LineString feature per recording, a
           MultiLineString when the track has gaps, points for runs of one;
           per-point times and speeds in km/h in the flat properties times
           and speeds) or CSV (one row per telemetry sample: time, latitude,
           longitude, speed_mps, heading, gx, gy, gz, file, then the raw
           fields as raw_gx, raw_gy, raw_gz, raw_x (lon), raw_y (lat),
           raw_hdg, raw_kmh, raw_year ... raw_sec, raw_ns, raw_ew; text that
           would start a spreadsheet formula begins with '). Tracks hold the
           samples whose position texts are numbers on the globe, and break
           where there is none (a new GPX trkseg). GPX, KML and GeoJSON times
           are in UTC and left out where there is no date; CSV times carry
           their offset.
           A recording without a position fix is left out with a warning (its
           CSV rows stay); a recording whose scan did not complete is
           exported as far as it was read, with a warning.
  trips    Print the drives as a JSON array: runs of recordings, in the order
           given, each starting at most 10 s after the one before ended
           (camera clock), with start, end and statistics (distance, moving
           time, average and top speed, largest G on each axis, events). Each
           recording also has kind (normal, event, parking or manual, from
           where the camera put it; null when unknown) and channels (channel
           front, rear or interior, and file; the first is the one read).
  events   Print the moments of hard braking (more than 15 km/h lost in a
           second) or a G-sensor jolt (0.4 g on X or Y, 0.6 g on Z away from
           the recording's median) as a JSON array: file, time in the video,
           kind, peak and position.
  clip     Write an MP4 clip of the span from --from to --to, in seconds on
           the timeline of the FILEs played one after another, through the
           ffmpeg program. The clip is re-encoded (H.264, CRF 20, the
           recordings' size and frame rate) with their sound (AAC) and starts
           and ends on the frames asked for; --fast copies the streams
           (video and sound), which starts the clip at the key frame at or
           before --from. Either way the clip keeps the telemetry of its
           span, timed to the clip, in the form the recordings carry it. A
           recording up to the end of the span that cannot be read, or one
           whose video ends before the span needs it, stops the clip, naming
           it; recordings after the span are not read.

Options:
  -f, --format FORMAT  export format: gpx, gpx10, kml, geojson or csv
                       (export only)
  -u, --utc-offset ±HH:MM
                       the zone of the camera's clock, such as +02:00 or
                       -05:30 (export only; default: this computer's time
                       zone at each recording's date)
  -s, --sensitivity S  event sensitivity: low, normal (default) or high;
                       low raises the thresholds by half, high lowers them by
                       a quarter (trips and events only)
      --from S         the clip's start in seconds (clip only)
      --to S           the clip's end in seconds (clip only)
      --fast           copy the streams instead of re-encoding (clip only)
      --overlay        burn date and time, speed and G values from the
                       telemetry into the picture, one update a second (clip
                       only; not with --fast)
      --speed-unit U   the overlay's speed unit: kmh (default) or mph
      --strip-telemetry
                       leave the telemetry track and all metadata out of the
                       clip, so that it does not tell where the car went
                       (clip only)
      --skip-damaged   go on past damage, with a warning: a recording that
                       cannot be read leaves the timeline, and the missing end
                       of a cut one leaves the clip, which is then shorter
                       than asked (clip only)
      --channels W     main (default): the main channel alone; all: a
                       moment's other channels (rear, interior) composed
                       into the picture (clip only; not with --fast)
      --layout L       with --channels all: pip (default), the others small
                       in the bottom right corner; side, beside the main one
  -o, --output OUT     write to OUT instead of standard output ('-' stands for
                       standard output); a regular file is replaced whole only
                       once everything is written, a device or FIFO is
                       written into
  -h, --help           show this help and exit
  -v, --version        show the version and exit

A FILE that cannot be read is reported on standard error; inspect still prints
its object (isSupportSubtitle 0), samples its object with the reason, trips lists it as a trip of its own without
telemetry, export and events leave it out. Put -- before a FILE whose name
begins with '-'.

Exit status: 0 success; 1 a FILE could not be read or the output could not be
written (clip: a recording it needs could not be read whole, or ffmpeg or
ffprobe failed; no clip is written); 2 bad arguments, or an OUT that is one of
the FILEs; 3 export found no position fix in any FILE: the output is still
written, a document without any track (CSV: the rows without a position).
)";

void printError(const QString& message) {
    const QByteArray line = (QLatin1String(kProgram) + QLatin1String(": ") + message + '\n').toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);  // one write keeps the line whole
}

int badArguments(const QString& message) {
    printError(message);
    std::fprintf(stderr, "Try '%s --help' for more information.\n", kProgram);
    return kBadArguments;
}

// Arguments go through the parser decoded as Latin-1, which maps every byte to
// one character and back: a path that is not UTF-8 then still reaches the scan
// byte for byte. Only what is shown to people is decoded as UTF-8.
QString asLatin1(const char* raw) { return QString::fromLatin1(raw); }
std::string rawBytes(const QString& parsed) { return parsed.toLatin1().toStdString(); }
QString shown(const std::string& raw) { return QString::fromUtf8(raw.data(), qsizetype(raw.size())); }
QString shown(const QString& parsed) { return shown(rawBytes(parsed)); }

struct Scanned {
    Class_Video_Info record;
    bool readable = true;
};

Scanned scanFile(const std::string& path) {
    const QString name = shown(path);
    telemetry::setLogSink([&name](std::string_view line) {
        printError(name + QLatin1String(": ") + QString::fromUtf8(line.data(), qsizetype(line.size())));
    });
    Scanned out;
    const std::string reason = telemetry::unreadableReason(path);
    if (!reason.empty()) {
        printError(name + QLatin1String(": cannot read: ") + QString::fromLocal8Bit(reason.c_str()));
        out.readable = false;
    }
    telemetry::Extract_Subtitle().ExtractSubtitle(out.record, path);
    telemetry::setLogSink({});
    return out;
}

// A recording's samples by whichever reader knows its camera. A reader's complaint is
// a warning; a file that cannot be opened at all fails the command.
telemetry::RecordingSamples readRecording(const std::string& file, int& status) {
    const QString name = shown(file);
    telemetry::setLogSink([&name](std::string_view line) {
        printError(name + QLatin1String(": ") + QString::fromUtf8(line.data(), qsizetype(line.size())));
    });
    telemetry::RecordingSamples read = telemetry::ReaderRegistry::standard().read(file);
    telemetry::setLogSink({});
    if (const auto* failure = std::get_if<telemetry::ReadFailure>(&read.result)) {
        const QString reason = QString::fromLocal8Bit(failure->reason.c_str());
        if (read.reader.empty()) {
            printError(name + QLatin1String(": cannot read: ") + reason);
            status = kFailure;
        } else {
            printError(name + QLatin1String(": warning: ") + reason);
        }
    }
    return read;
}

bool isTextTrackCamera(const std::string& file) {
    const telemetry::RandomAccessFile bytes(file);
    const telemetry::TelemetryReader* reader = telemetry::ReaderRegistry::standard().readerFor(bytes);
    return reader && reader->name() == "Ambarella";
}

track_export::TrackRecording exportedRecording(const std::string& file, telemetry::RecordingSamples& read) {
    track_export::TrackRecording r;
    r.path = QFile::decodeName(QByteArray::fromStdString(file));
    r.fileName = QFileInfo(r.path).fileName();
    if (const auto header = telemetry::movieHeader(telemetry::RandomAccessFile(file)))
        r.durationSeconds = int64_t(header->seconds());
    if (auto* samples = std::get_if<std::vector<telemetry::Sample>>(&read.result)) r.samples = std::move(*samples);
    return r;
}

// Same device and inode: the output would replace an input, however either is spelled.
bool isOneOf(const std::string& output, const std::vector<std::string>& inputs) {
    struct stat target {};
    if (::stat(output.c_str(), &target) != 0) return false;
    for (const std::string& path : inputs) {
        struct stat input {};
        if (::stat(path.c_str(), &input) == 0 && input.st_dev == target.st_dev &&
            input.st_ino == target.st_ino)
            return true;
    }
    return false;
}

// Whether the output path names something that exists and is not a regular file
// (a device, a FIFO): that is written into, never renamed over.
bool isSpecialFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

// Standard output, a device or FIFO written in place, or a regular file that is
// replaced whole (a temporary file beside it, renamed over it) only once everything
// is written.
class Output {
public:
    explicit Output(const std::optional<std::string>& path) : path_(path) {}

    bool open() {
        bool opened = false;
        if (!path_) {
            device_ = &plain_;
            opened = plain_.open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
        } else if (isSpecialFile(*path_)) {
            device_ = &plain_;
            plain_.setFileName(shown(*path_));
            opened = plain_.open(QIODevice::WriteOnly);
        } else {
            device_ = &whole_;
            whole_.setFileName(shown(*path_));
            opened = whole_.open(QIODevice::WriteOnly);
        }
        if (!opened) report();
        return opened;
    }
    QIODevice& device() { return *device_; }
    bool failed() const { return device_->error() != QFileDevice::NoError; }
    // Commits the file; on a failure a replaced file (if any) stays as it was.
    bool finish() {
        if (device_ == &whole_) {
            // commit() does not hear of a failure of the last buffered write.
            if (whole_.flush() && whole_.commit()) return true;
            report();
            whole_.cancelWriting();
            return false;
        }
        bool done = plain_.flush() && !failed();
        if (path_) plain_.close();  // a device may refuse only here
        done = done && !failed();
        if (!done) report();
        return done;
    }

private:
    void report() {
        if (path_) printError(shown(*path_) + QLatin1String(": cannot write: ") + device_->errorString());
        else printError(QLatin1String("cannot write standard output: ") + device_->errorString());
    }
    std::optional<std::string> path_;
    QSaveFile whole_;
    QFile plain_;
    QFileDevice* device_ = &plain_;
};

struct ClipOptions {
    double from = 0, to = 0;
    bool fast = false, overlay = false, strip = false, skipDamaged = false;
    int64_t speedUnit = 1;  // as the settings store it: 0 mph
    bool allChannels = false;
    clips::ClipLayout layout = clips::ClipLayout::PictureInPicture;
};

// A recording's length in seconds: the movie header the scan reads gives the length
// ffprobe would (and costs no process); ffprobe only for what the scan cannot read.
std::optional<double> recordingSeconds(const std::string& path, Class_Video_Info& record, QString* why) {
    if (const std::string reason = telemetry::unreadableReason(path); !reason.empty()) {
        *why = QString::fromLocal8Bit(reason.c_str());
        return std::nullopt;
    }
    telemetry::setLogSink([](std::string_view) {});
    telemetry::Extract_Subtitle().ExtractSubtitle(record, path);
    telemetry::setLogSink({});
    if (record.timescale > 0 && record.duration > 0) return double(record.duration) / record.timescale;
    return clips::probeDuration(QByteArray::fromStdString(path), why);
}

// The recordings' lengths, the pieces, the overlay from their telemetry, then
// ffmpeg; the clip appears at OUT only when ffmpeg succeeded. Recordings after the
// span are not read, so a cut last file does not stand in the way.
int writeClip(const std::vector<std::string>& files, const std::vector<std::vector<std::string>>& channels,
              const std::string& output, const ClipOptions& options) {
    clips::sweepWorkFolders();
    clips::ClipRequest request;
    std::vector<double> durations;
    std::vector<Class_Video_Info> records;
    double total = 0;
    for (size_t i = 0; i < files.size() && total < options.to; ++i) {
        Class_Video_Info record;
        QString why;
        const std::optional<double> duration = recordingSeconds(files[i], record, &why);
        if (!duration && !options.skipDamaged) {
            // Its length is unknown, and with it where the span lies on the timeline.
            printError(shown(files[i]) + QLatin1String(": cannot read: ") + why +
                       QLatin1String(" (--skip-damaged leaves it off the timeline)"));
            return kFailure;
        }
        if (!duration) {
            printError(shown(files[i]) + QLatin1String(": warning: cannot read: ") + why + QLatin1String("; left out"));
            continue;
        }
        total += *duration;
        durations.push_back(*duration);
        records.push_back(std::move(record));
        request.files.push_back(QByteArray::fromStdString(files[i]));
        request.channels.emplace_back();
        for (const std::string& channel : options.allChannels ? channels[i] : std::vector<std::string>{}) {
            // A channel that cannot be read or has no picture leaves the clip with its main one alone.
            const QByteArray path = QByteArray::fromStdString(channel);
            if (const QString reason = clips::channelLeftOutReason(path); !reason.isEmpty())
                printError(shown(channel) + QLatin1String(": warning: ") + reason + QLatin1String("; left out"));
            else request.channels.back().push_back(path);
        }
        if (!options.strip) request.telemetry.push_back(clips::telemetryOf(records.back()));
    }
    auto pieces = clips::planClip(durations, options.from, options.to);
    if (!pieces)
        return badArguments(QString("the span %1 to %2 s is empty or reaches outside the recordings' %3 s")
                                .arg(options.from).arg(options.to).arg(total, 0, 'f', 3));
    if (options.skipDamaged) {
        // Each piece as far as its video can be read: the clip goes on with the next.
        std::vector<clips::ClipPiece> readable;
        for (clips::ClipPiece piece : *pieces) {
            QString why;
            const std::optional<double> end =
                clips::readableUntil(request.files[piece.file], piece.in, piece.out, &why);
            const QString name = shown(request.files[piece.file].toStdString());
            if (end && *end >= piece.out - clips::kReadableSlack) {
                readable.push_back(piece);
                continue;
            }
            if (!end) printError(name + QLatin1String(": warning: cannot read: ") + why + QLatin1String("; left out"));
            else printError(name + QString(": warning: damaged: its video from %1 to %2 s left out")
                                       .arg(std::max(*end, piece.in), 0, 'f', 1).arg(piece.out, 0, 'f', 1));
            if (end && *end > piece.in) readable.push_back({piece.file, piece.in, *end});
        }
        if (readable.empty()) {
            printError(shown(output) + QLatin1String(": clip not written: nothing in the span can be read"));
            return kFailure;
        }
        pieces = readable;
    }
    request.pieces = *pieces;
    request.mode = options.fast ? clips::ClipMode::Fast : clips::ClipMode::Exact;
    request.stripTelemetry = options.strip;
    request.layout = options.layout;
    request.output = shown(output);
    if (options.overlay) {
        std::vector<std::vector<telemetry::Sample>> samples(request.files.size());
        for (const clips::ClipPiece& piece : *pieces)
            if (samples[piece.file].empty()) samples[piece.file] = telemetry::samplesOf(records[piece.file]);
        request.overlayScript = clips::overlayScript(*pieces, samples, options.speedUnit);
    }

    clips::ClipExport clip(request);
    QEventLoop loop;
    QString error;
    QObject::connect(&clip, &clips::ClipExport::finished, &loop, [&](bool ok, const QString& why) {
        if (!ok) error = why;
        loop.quit();
    });
    clip.start();
    loop.exec();
    if (!error.isEmpty()) {
        printError(shown(output) + QLatin1String(": clip not written: ") + error);
        return kFailure;
    }
    return kSuccess;
}

}  // namespace

int run(int argc, char** argv) {
    QCommandLineParser parser;
    const QCommandLineOption formatOption({"f", "format"}, "export format", "FORMAT");
    const QCommandLineOption outputOption({"o", "output"}, "output file", "OUT");
    const QCommandLineOption sensitivityOption({"s", "sensitivity"}, "event sensitivity", "SENSITIVITY");
    const QCommandLineOption helpOption({"h", "help"}, "show help");
    const QCommandLineOption versionOption({"v", "version"}, "show version");
    const QCommandLineOption offsetOption({"u", "utc-offset"}, "camera clock offset", "OFFSET");
    const QCommandLineOption fromOption("from", "clip start", "S");
    const QCommandLineOption toOption("to", "clip end", "S");
    const QCommandLineOption fastOption("fast", "copy streams");
    const QCommandLineOption overlayOption("overlay", "burn in telemetry");
    const QCommandLineOption stripOption("strip-telemetry", "no telemetry or metadata");
    const QCommandLineOption speedUnitOption("speed-unit", "overlay speed unit", "UNIT");
    const QCommandLineOption skipOption("skip-damaged", "leave out what cannot be read");
    const QCommandLineOption channelsOption("channels", "main or all channels", "WHICH");
    const QCommandLineOption layoutOption("layout", "pip or side", "LAYOUT");
    parser.addOptions({formatOption, outputOption, sensitivityOption, offsetOption, helpOption, versionOption,
                       fromOption, toOption, fastOption, overlayOption, stripOption, speedUnitOption, skipOption,
                       channelsOption, layoutOption});

    QStringList arguments{QLatin1String(kProgram)};
    for (int i = 1; i < argc; ++i) arguments << asLatin1(argv[i]);
    if (!parser.parse(arguments)) return badArguments(shown(parser.errorText()));

    if (parser.isSet(helpOption)) {
        std::fputs(kHelp, stdout);
        return std::fflush(stdout) == 0 ? kSuccess : kFailure;
    }
    if (parser.isSet(versionOption)) {
        std::printf("%s %s\n", kProgram, DASHCAM_VERSION);
        return std::fflush(stdout) == 0 ? kSuccess : kFailure;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) return badArguments("missing command: inspect, samples, export, trips, events or clip");
    const QString command = positional.first();
    const bool inspect = command == QLatin1String("inspect");
    const bool drives = command == QLatin1String("trips") || command == QLatin1String("events");
    const bool clip = command == QLatin1String("clip");
    const bool samples = command == QLatin1String("samples");
    if (!inspect && !samples && !drives && !clip && command != QLatin1String("export"))
        return badArguments(QLatin1String("unknown command '") + shown(command) +
                            QLatin1String("': use inspect, samples, export, trips, events or clip"));
    if (positional.size() < 2) return badArguments("missing FILE");
    ClipOptions clipOptions;
    for (const QCommandLineOption* option :
         {&fromOption, &toOption, &fastOption, &overlayOption, &stripOption, &speedUnitOption, &skipOption,
          &channelsOption, &layoutOption}) {
        if (!clip && parser.isSet(*option))
            return badArguments("--" + option->names().first() + QLatin1String(" applies to clip only"));
    }
    if (clip) {
        for (const QCommandLineOption* option : {&formatOption, &offsetOption, &sensitivityOption})
            if (parser.isSet(*option))
                return badArguments("--" + option->names().last() + QLatin1String(" does not apply to clip"));
        if (!parser.isSet(fromOption) || !parser.isSet(toOption)) return badArguments("clip needs --from and --to");
        bool fromOk = false, toOk = false;
        clipOptions.from = parser.value(fromOption).toDouble(&fromOk);
        clipOptions.to = parser.value(toOption).toDouble(&toOk);
        if (!fromOk || !toOk) return badArguments("--from and --to take seconds, such as 12.5");
        clipOptions.fast = parser.isSet(fastOption);
        clipOptions.overlay = parser.isSet(overlayOption);
        clipOptions.strip = parser.isSet(stripOption);
        clipOptions.skipDamaged = parser.isSet(skipOption);
        if (clipOptions.fast && clipOptions.overlay)
            return badArguments("--overlay needs the clip re-encoded: leave out --fast");
        const QString which = parser.value(channelsOption), layout = parser.value(layoutOption);
        if (parser.isSet(channelsOption) && which != QLatin1String("main") && which != QLatin1String("all"))
            return badArguments(QLatin1String("unknown channels '") + shown(which) + QLatin1String("': use main or all"));
        if (parser.isSet(layoutOption) && layout != QLatin1String("pip") && layout != QLatin1String("side"))
            return badArguments(QLatin1String("unknown layout '") + shown(layout) + QLatin1String("': use pip or side"));
        clipOptions.allChannels = which == QLatin1String("all");
        if (layout == QLatin1String("side")) clipOptions.layout = clips::ClipLayout::SideBySide;
        if (clipOptions.fast && clipOptions.allChannels)
            return badArguments("--channels all needs the clip re-encoded: leave out --fast");
        const QString unit = parser.value(speedUnitOption);
        if (unit == QLatin1String("mph")) clipOptions.speedUnit = 0;
        else if (parser.isSet(speedUnitOption) && unit != QLatin1String("kmh"))
            return badArguments(QLatin1String("unknown speed unit '") + shown(unit) + QLatin1String("': use kmh or mph"));
        if (!parser.isSet(outputOption)) return badArguments("clip needs -o OUT");
    }
    if (!drives && parser.isSet(sensitivityOption)) return badArguments("--sensitivity applies to trips and events only");
    trips::Sensitivity sensitivity = trips::Sensitivity::Normal;
    if (parser.isSet(sensitivityOption)) {
        const QString name = parser.value(sensitivityOption);
        if (name == QLatin1String("low")) sensitivity = trips::Sensitivity::Low;
        else if (name == QLatin1String("high")) sensitivity = trips::Sensitivity::High;
        else if (name != QLatin1String("normal"))
            return badArguments(QLatin1String("unknown sensitivity '") + shown(name) + QLatin1String("': use low, normal or high"));
    }

    std::optional<TrackFormat> format;
    const bool reads = inspect || samples || drives;
    if (reads && parser.isSet(formatOption)) return badArguments("--format applies to export only");
    if (reads && parser.isSet(offsetOption)) return badArguments("--utc-offset applies to export only");
    QTimeZone clockZone = QTimeZone::systemTimeZone();
    if (!reads && !clip) {
        if (!parser.isSet(formatOption)) return badArguments("export needs --format gpx, gpx10, kml, geojson or csv");
        format = track_export::trackFormatNamed(parser.value(formatOption));
        if (!format)
            return badArguments(QLatin1String("unknown format '") + shown(parser.value(formatOption)) +
                                QLatin1String("': use gpx, gpx10, kml, geojson or csv"));
        if (parser.isSet(offsetOption)) {
            const auto zone = track_export::parseUtcOffset(parser.value(offsetOption));
            if (!zone)
                return badArguments(QLatin1String("bad UTC offset '") + shown(parser.value(offsetOption)) +
                                    QLatin1String("': use +HH:MM or -HH:MM"));
            clockZone = *zone;
        }
    }

    std::optional<std::string> outputPath;
    const bool toStdout = parser.value(outputOption) == QLatin1String("-");
    if (parser.isSet(outputOption) && !toStdout) {
        outputPath = rawBytes(parser.value(outputOption));
        if (outputPath->empty()) return badArguments("--output needs a file name");
        // Qt names files in UTF-8 on Linux, so any other name would be written
        // somewhere else than asked.
        if (shown(*outputPath).toUtf8().toStdString() != *outputPath)
            return badArguments(shown(*outputPath) + QLatin1String(": output file name is not valid UTF-8"));
    }

    std::vector<std::string> paths;
    for (qsizetype i = 1; i < positional.size(); ++i) paths.push_back(rawBytes(positional[i]));
    const std::vector<card::Moment> moments = card::momentsOf(paths);
    // A moment's other channels carry no telemetry: the drives, tracks and clips are
    // its main channel's; inspect and samples tell of every file.
    std::vector<std::string> files, everyFile;
    std::vector<std::vector<std::string>> otherChannels;  // per file in files
    for (const card::Moment& moment : moments) {
        files.push_back(moment.mainChannel().path);
        everyFile.push_back(moment.mainChannel().path);
        otherChannels.emplace_back();
        for (size_t c = 0; c < moment.channels.size(); ++c)
            if (c != moment.main) everyFile.push_back(moment.channels[c].path), otherChannels.back().push_back(moment.channels[c].path);
    }
    if (inspect || samples) files = everyFile;

    if (outputPath && isOneOf(*outputPath, everyFile)) {
        printError(shown(*outputPath) + QLatin1String(": is one of the input files; not overwriting it"));
        return kBadArguments;
    }
    if (clip) return writeClip(files, otherChannels, outputPath.value_or("-"), clipOptions);
    Output output(outputPath);
    if (!output.open()) return kFailure;

    // One recording at a time: scanned, written, let go.
    int status = kSuccess;
    if (inspect) {
        InspectWriter writer(output.device());
        for (size_t i = 0; i < files.size() && !output.failed(); ++i) {
            const Scanned scanned = scanFile(files[i]);
            if (!scanned.readable) status = kFailure;
            writer.add(scanned.record);
        }
        writer.finish();
    } else if (samples) {
        JsonArrayWriter writer(output.device());
        for (size_t i = 0; i < files.size() && !output.failed(); ++i) {
            const telemetry::RecordingSamples read = readRecording(files[i], status);
            writer.add(recordingSamplesJson(shown(files[i]), read));
        }
        writer.finish();
    } else if (drives) {
        // Each record is summarised and let go; only the summaries are kept.
        const trips::EventThresholds thresholds = trips::thresholdsFor(sensitivity);
        std::vector<trips::RecordingSummary> summaries;
        QStringList names;
        for (size_t i = 0; i < files.size(); ++i) {
            const telemetry::RecordingSamples read = readRecording(files[i], status);
            static const std::vector<telemetry::Sample> kNone;
            const auto* samples = std::get_if<std::vector<telemetry::Sample>>(&read.result);
            const bool protectedByCamera = moments[i].kind == card::Kind::Event;
            summaries.push_back(trips::summarizeRecording(samples ? *samples : kNone, i, thresholds, protectedByCamera));
            names << shown(files[i]);
        }
        QJsonArray json;
        if (command == QLatin1String("trips")) {
            std::vector<QJsonObject> cards;
            for (const card::Moment& moment : moments) cards.push_back(cardJson(moment));
            json = tripsJson(trips::groupTrips(summaries), summaries, names, cards);
        } else {
            std::vector<trips::Event> events;
            for (const trips::RecordingSummary& s : summaries) events.insert(events.end(), s.events.begin(), s.events.end());
            json = eventsJson(events, names);
        }
        output.device().write(QJsonDocument(json).toJson(QJsonDocument::Indented));
    } else {
        track_export::TrackWriter writer(*format, output.device(), clockZone);
        bool exported = false;
        for (size_t i = 0; i < files.size() && !output.failed(); ++i) {
            std::optional<track_export::TrackRecording> recording;
            Scanned scanned;
            if (isTextTrackCamera(files[i])) {
                // The camera's texts go into the CSV's raw columns, and a damaged track
                // still gives the samples read before the damage.
                scanned = scanFile(files[i]);
                if (!scanned.readable) {
                    status = kFailure;
                    continue;
                }
                if (scanned.record.isSupportSubtitle == 0) {
                    const size_t read = scanned.record.array_SubtileInfo ? scanned.record.array_SubtileInfo->size() : 0;
                    printError(shown(files[i]) +
                               QString(": warning: no complete telemetry track; exporting the %1 samples read")
                                   .arg(qulonglong(read)));
                }
                recording = track_export::trackRecordingOf(scanned.record);
            } else {
                telemetry::RecordingSamples read = readRecording(files[i], status);
                if (read.reader.empty() && std::holds_alternative<telemetry::ReadFailure>(read.result)) continue;
                recording = exportedRecording(files[i], read);
            }
            if (writer.add(*recording)) exported = true;
            else printError(shown(files[i]) + QLatin1String(": warning: no position fix; no track exported"));
        }
        writer.finish();
        if (!exported && status == kSuccess) status = kNothingExported;
    }

    if (!output.finish()) status = kFailure;
    return status;
}

}  // namespace telemetry_cli
