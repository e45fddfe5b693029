#include "PlaybackSession.h"

#include <QFile>
#include <algorithm>
#include <climits>
#include <cmath>
#include <sys/stat.h>

#include "Log.h"
#include "PlaybackSpeed.h"
#include "PositionFix.h"
#include "RecordingLibrary.h"
#include "TextValues.h"

PlaybackSession::PlaybackSession(RecordingLibrary& library, MediaPlayer& player, QObject* parent)
    : QObject(parent), library_(library), player_(player) {
    connect(&player_, &MediaPlayer::tick, this, &PlaybackSession::tick);
    connect(&player_, &MediaPlayer::opened, this, &PlaybackSession::playerOpened);
    connect(&player_, &MediaPlayer::endOfItem, this, &PlaybackSession::itemDidFinishPlaying);
    connect(&player_, &MediaPlayer::fellBehind, this, [this](const QByteArray& kept, const QByteArrayList& leftOut) {
        QStringList names;
        for (const QByteArray& file : leftOut) names << QFile::decodeName(file);
        const QString text = tr("Cannot keep up with %1: playing %2 alone").arg(names.join(QStringLiteral(", ")), QFile::decodeName(kept));
        telemetry::logLine(text.toStdString());
        emit notice(text);
    });
}

std::optional<double> PlaybackSession::position() const {
    if (!isOpen()) return std::nullopt;
    const MediaTime t = player_.currentTime();
    return double(t.value) / t.timescale;
}

bool PlaybackSession::open(int32_t row) {
    if (recording_) {
        recording_->playingOn = false;
        recording_->pendingSeek.reset();
    }
    disconnect(rateObservation_);  // ends the previous opening's observation, if any
    sent_.reset();
    CurrentStorageVideo& storage = library_.currentStorageVideo;
    if (!library_.isRowIndexed(row) || row >= storage.video_list.size()) {
        telemetry::logLine("NotLoading...");
        return false;
    }
    emit closed();
    const RecordingRecord record = storage.video_list.at(row);
    storage.indexOfNowPlaying = row;
    storage.filenameOfNowPlaying = record->filename ? QString::fromStdString(*record->filename) : QString();
    storage.filepathOfNowPlaying = record->filepath ? QString::fromStdString(*record->filepath) : QString();
    recording_.emplace();
    recording_->row = row;
    recording_->path = record->filepath ? QByteArray::fromStdString(*record->filepath) : QByteArray();
    recording_->name = storage.filenameOfNowPlaying;
    if (struct stat st {}; ::stat(recording_->path.constData(), &st) == 0) telemetry::logLine("File Exists");
    // Returns at once; playerOpened() finishes the opening.
    QByteArrayList others;
    for (const RowChannel& c : library_.rowChannels.value(row).mid(1)) others << c.path;
    player_.setChannelView(layout_, largeChannel());
    recording_->opening = player_.open(recording_->path, others);
    emit opening(row, recording_->name);
    return true;
}

void PlaybackSession::close() {
    disconnect(rateObservation_);
    player_.close();
    recording_.reset();
    emit closed();
}

void PlaybackSession::playerOpened(uint64_t opening, MediaPlayer::OpenFailure failure, const QString& detail) {
    if (!recording_ || opening != recording_->opening) return;  // a superseded opening
    if (failure != MediaPlayer::OpenFailure::None) {
        const QString reason = openFailureText(failure);
        const QString message = tr("Cannot play %1: %2 (%3)").arg(recording_->name, reason, detail);
        telemetry::logLine(message.toStdString());
        emit openFailed(reason, message);
        if (recording_->playingOn) playOn();  // a damaged recording does not end the drive's playback
        return;
    }
    telemetry::logLine(QString::asprintf("duration: %.2f", player_.duration()).toStdString());
    recording_->playing = true;
    const RecordingRecord record = library_.currentStorageVideo.video_list.at(recording_->row);
    emit opened(recording_->row, int(std::min<uint32_t>(record->duration_second * 1000u, uint32_t(INT_MAX))));
    rateObservation_ = connect(&player_, &MediaPlayer::playingChanged, this, &PlaybackSession::rateChanged);
    for (const QByteArray& channel : player_.channelsLeftOut()) {
        const QString text = tr("Playing without %1: it has no picture that plays").arg(QFile::decodeName(channel));
        telemetry::logLine(text.toStdString());
        emit notice(text);
    }
    player_.play();
    if (recording_->pendingSeek) seekTo(*std::exchange(recording_->pendingSeek, std::nullopt));
}

void PlaybackSession::seekTo(double seconds) {
    if (!recording_) return;
    if (!recording_->playing) {
        recording_->pendingSeek = seconds;  // still opening: playerOpened() seeks
        return;
    }
    sent_ = Sent{seconds, position().value_or(0)};
    emit sought(seconds);
    if (seconds == std::floor(seconds)) player_.seekToSeconds(int64_t(seconds));
    else player_.seekToTime(seconds);
}

void PlaybackSession::seekBy(double seconds) {
    if (!recording_) return;
    if (!recording_->playing) {
        recording_->pendingSeek = std::max(0.0, std::round(recording_->pendingSeek.value_or(0) + seconds));
        return;
    }
    const double now = position().value_or(0);
    const double from = sent_ && sent_->from == now ? sent_->to : now;
    seekTo(std::clamp(std::round(from + seconds), 0.0, std::max(0.0, std::floor(player_.duration()))));
}

void PlaybackSession::seekToEnd() {
    if (isOpen()) seekTo(player_.duration());
}

void PlaybackSession::seekToEvent(int32_t row, double videoSeconds) {
    const double target = double(std::max<int64_t>(0, std::llround(videoSeconds - 5.0)));
    if (!isOpen() || row != recording_->row) {
        emit rowChosen(row);
        if (recording_ && recording_->row == row && !recording_->playing) recording_->pendingSeek = target;
        return;
    }
    seekTo(target);
}

void PlaybackSession::playNeighbour(int delta) {
    if (!recording_) return;
    const int32_t row = neighbour(recording_->row, delta);
    if (row < 0 || !library_.isRowIndexed(row)) return;
    emit rowChosen(row);
}

int32_t PlaybackSession::neighbour(int32_t row, int delta) const {
    if (order_) return order_(row, delta);
    const int32_t to = row + delta;
    return to >= 0 && to < library_.currentStorageVideo.num_video_list ? to : -1;
}

void PlaybackSession::itemDidFinishPlaying() {
    playOn();
    telemetry::logLine("Video End");
}

void PlaybackSession::playOn() {
    const int32_t next = neighbour(library_.currentStorageVideo.indexOfNowPlaying, 1);
    if (next < 0) return;
    emit rowChosen(next);
    if (recording_ && recording_->row == next) recording_->playingOn = true;
}

void PlaybackSession::setChannelView(ChannelLayout layout, const QString& large) {
    layout_ = layout, large_ = large;
    player_.setChannelView(layout_, largeChannel());
}

QStringList PlaybackSession::channels() const {
    QStringList names;
    if (recording_)
        for (const RowChannel& c : library_.rowChannels.value(recording_->row)) names << c.channel;
    return names;
}

int PlaybackSession::largeChannel() const { return std::max<int>(0, int(channels().indexOf(large_))); }

void PlaybackSession::setSpeed(double speed) {
    player_.setSpeed(speed);
    emit speedChanged(speed);
}

void PlaybackSession::stepSpeed(int steps) { setSpeed(steppedSpeed(player_.speed(), steps)); }

void PlaybackSession::rateChanged() { telemetry::logLine(player_.isPlaying() ? "Play" : "Pause"); }

void PlaybackSession::tick(MediaTime time) {
    const float position = tickPositionMs(time.value, time.timescale);
    telemetry::logLine(QString::asprintf("duration: %.2f", double(position)).toStdString());
    emit positionChanged(int(position));

    CurrentStorageVideo& storage = library_.currentStorageVideo;
    if (!recording_ || storage.indexOfNowPlaying < 0 || storage.indexOfNowPlaying >= storage.video_list.size()) return;
    const telemetry::Class_Video_Info& record = *storage.video_list.at(storage.indexOfNowPlaying);
    // Another camera's recording: the scan found no texts, a reader decoded its samples.
    if (record.isSupportSubtitle != 1 || record.addrOfAmbarella_EXT == 0) {
        if (const auto& samples = storage.telemetry_list.value(storage.indexOfNowPlaying).samples)
            tickOnSamples(position, *samples);
        return;
    }
    const uint32_t index = tickSampleIndex(position, record);
    // Past the table (a fallback that wraps, or a short table): labels and marker
    // keep what they show.
    if (!record.array_SubtileInfo || index >= record.array_SubtileInfo->size()) return;
    const telemetry::Class_Subtitle_Info& sample = (*record.array_SubtileInfo)[index];
    recording_->shownSample = index;
    recording_->sampleFromReader = false;
    telemetry::logLine(QStringLiteral("index = %1 gap = %2 lat = %3 lon = %4")
                           .arg(int32_t(index))
                           .arg(int32_t(record.gapSubtitlePerSecond))
                           .arg(QString::fromStdString(sample.lat.value_or("")), QString::fromStdString(sample.lon.value_or("")))
                           .toStdString());
    storage.currentdegree = telemetry::integerValue(sample.heading);
    ShownSample shown{tickTexts(sample, speedUnit_), std::nullopt};
    const MarkerPosition marker = tickMarker(sample);
    if (marker.moves && telemetry::positionFix(sample))
        shown.vehicle = Vehicle{marker.latitude, marker.longitude, storage.currentdegree};
    emit sampleShown(shown);
}

void PlaybackSession::tickOnSamples(float positionMs, const std::vector<telemetry::Sample>& samples) {
    const auto index = sampleAt(samples, positionMs);
    if (!index || !recording_) return;
    const telemetry::Sample& sample = samples[*index];
    recording_->shownSample = uint32_t(std::min<size_t>(*index, UINT32_MAX));
    recording_->sampleFromReader = true;
    CurrentStorageVideo& storage = library_.currentStorageVideo;
    if (sample.headingDegrees) storage.currentdegree = int32_t(std::lround(*sample.headingDegrees));
    ShownSample shown{tickTexts(sample, speedUnit_), std::nullopt};
    if (sample.fix) shown.vehicle = Vehicle{sample.fix->lat, sample.fix->lon, storage.currentdegree};
    emit sampleShown(shown);
}

std::optional<TickTexts> PlaybackSession::shownTexts() const {
    if (!recording_ || !recording_->shownSample) return std::nullopt;
    const CurrentStorageVideo& storage = library_.currentStorageVideo;
    const uint32_t index = *recording_->shownSample;
    if (recording_->sampleFromReader) {
        const auto& samples = storage.telemetry_list.value(recording_->row).samples;
        if (samples && index < samples->size()) return tickTexts((*samples)[index], speedUnit_);
        return std::nullopt;
    }
    const RecordingRecord record = storage.video_list.value(recording_->row);
    if (record && record->array_SubtileInfo && index < record->array_SubtileInfo->size())
        return tickTexts((*record->array_SubtileInfo)[index], speedUnit_);
    return std::nullopt;
}
