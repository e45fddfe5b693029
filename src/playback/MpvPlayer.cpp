#include "MpvPlayer.h"

#include <QCoreApplication>
#include <QTimer>

#include "ChannelLoad.h"
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <utility>

namespace {

constexpr uint64_t kTimePos = 1, kPause = 2, kIdle = 3, kEof = 4, kPreloadedHook = 5, kNoReply = 6;
// A loadfile's reply carries its opening's number above this bit.
constexpr uint64_t kLoadReply = uint64_t(1) << 62;

QString errorText(int error) { return QString::fromUtf8(mpv_error_string(error)); }

// Read while mpv waits in its preloaded hook, so the answer is about this file and
// not whatever mpv has moved on to by the time an event is read.
bool hasTrack(mpv_handle* mpv, const char* kind) {
    int64_t count = 0;
    if (mpv_get_property(mpv, "track-list/count", MPV_FORMAT_INT64, &count) < 0) return false;
    for (int64_t i = 0; i < count; ++i) {
        const QByteArray key = "track-list/" + QByteArray::number(i) + "/type";
        char* type = mpv_get_property_string(mpv, key.constData());
        const bool found = type && std::strcmp(type, kind) == 0;
        mpv_free(type);
        if (found) return true;
    }
    return false;
}

QString fileKind(mode_t mode) {
    if (S_ISDIR(mode)) return QCoreApplication::translate("MpvPlayer", "a folder");
    if (S_ISFIFO(mode)) return QCoreApplication::translate("MpvPlayer", "a FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QCoreApplication::translate("MpvPlayer", "a device");
    if (S_ISSOCK(mode)) return QCoreApplication::translate("MpvPlayer", "a socket");
    return QCoreApplication::translate("MpvPlayer", "not a regular file");
}

}  // namespace

MpvPlayer::MpvPlayer(Output output, QObject* parent) : MediaPlayer(parent) {
    mpv_ = mpv_create();
    if (!mpv_) return;
    mpv_set_option_string(mpv_, "vo", output == Output::Window ? "libmpv" : "null");
    if (output == Output::None) mpv_set_option_string(mpv_, "ao", "null");
    // A machine without a sound device still plays, and reports the end of a
    // file as its end.
    mpv_set_option_string(mpv_, "audio-fallback-to-null", "yes");
    mpv_set_option_string(mpv_, "idle", "yes");
    // The last frame stays at the end: it can be saved, and Play starts again.
    mpv_set_option_string(mpv_, "keep-open", "yes");
    mpv_set_option_string(mpv_, "sid", "no");  // the telemetry text track is not for showing
    mpv_set_option_string(mpv_, "hwdec", "no");
    mpv_set_option_string(mpv_, "gpu-hwdec-interop", "no");  // no probing of GPU decoders we never use
    mpv_set_option_string(mpv_, "input-default-bindings", "no");
    mpv_set_option_string(mpv_, "osc", "no");
    mpv_set_option_string(mpv_, "terminal", "no");
    mpv_set_option_string(mpv_, "hr-seek", "yes");
    mpv_set_option_string(mpv_, "volume-max", "100");  // Volume Up stops at full, not amplified
    if (mpv_initialize(mpv_) < 0) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        return;
    }
    mpv_observe_property(mpv_, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, kIdle, "idle-active", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, kEof, "eof-reached", MPV_FORMAT_FLAG);
    mpv_hook_add(mpv_, kPreloadedHook, "on_preloaded", 0);
    dropWatch_ = new QTimer(this);
    dropWatch_->setInterval(1000);
    connect(dropWatch_, &QTimer::timeout, this, &MpvPlayer::watchDrops);
    dropWatch_->start();
    mpv_set_wakeup_callback(
        mpv_,
        [](void* self) {
            auto* player = static_cast<MpvPlayer*>(self);
            // One queued call at a time is enough: it drains every pending event.
            if (!player->wakeupPending_.exchange(true))
                QMetaObject::invokeMethod(player, "handleEvents", Qt::QueuedConnection);
        },
        this);
}

MpvPlayer::~MpvPlayer() {
    if (mpv_) {
        mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
        mpv_terminate_destroy(mpv_);
    }
}

void MpvPlayer::forget() {
    setOpen(false);
    openEntry_ = -1;
    pendingEntry_ = -1;
    awaitingFirstFrame_ = false;
    atEnd_ = false;
    duration_ = 0;
    position_ = 0;
    lastTickSecond_ = -1;
    seeking_ = false;
    queuedSteps_.clear();
    largeAlone_ = false;
    dropCounts_.clear();
}

void MpvPlayer::close() {
    ++opening_;  // whatever was on its way is superseded
    forget();
    stop();
}

uint64_t MpvPlayer::open(const QByteArray& nativePath, const QByteArrayList& otherChannels) {
    const uint64_t opening = ++opening_;
    forget();
    file_ = nativePath;
    givenChannels_ = otherChannels;
    pendingChannels_.clear();
    leftOut_.clear();
    channels_.clear();
    if (!mpv_) return failLater(OpenFailure::NoPlayer, tr("the video player could not be started"));

    // Only a regular file: mpv would wait on a FIFO for a writer, and read a
    // device for ever.
    const QByteArray& file = nativePath;
    struct stat st {};
    if (::stat(file.constData(), &st) != 0) {
        const int error = errno;
        stop();
        if (error == ENOENT || error == ENOTDIR) return failLater(OpenFailure::Gone, QString::fromLocal8Bit(std::strerror(error)));
        return failLater(OpenFailure::Unreadable, QString::fromLocal8Bit(std::strerror(error)));
    }
    if (!S_ISREG(st.st_mode)) {
        stop();
        return failLater(OpenFailure::NotRegularFile, fileKind(st.st_mode));
    }

    // Asynchronous commands: a synchronous one waits while mpv tears down the file
    // before, which for a damaged one takes a fifth of a second. Commands run in
    // order, and a loadfile's reply comes before any event of the entry it adds.
    int pause = 1;
    mpv_set_property_async(mpv_, kNoReply, "pause", MPV_FORMAT_FLAG, &pause);
    // The other channels as mpv's external files: demuxed beside the recording, on its clock.
    std::vector<mpv_node> items;
    for (const QByteArray& channel : otherChannels) {
        struct stat cst {};
        if (::stat(channel.constData(), &cst) == 0 && S_ISREG(cst.st_mode)) pendingChannels_ << channel;
        else leftOut_ << channel;
    }
    for (const QByteArray& channel : std::as_const(pendingChannels_)) {
        mpv_node item{};
        item.format = MPV_FORMAT_STRING;
        item.u.string = const_cast<char*>(channel.constData());
        items.push_back(item);
    }
    mpv_node_list list{int(items.size()), items.data(), nullptr};
    mpv_node files{};
    files.format = MPV_FORMAT_NODE_ARRAY;
    files.u.list = &list;
    mpv_set_property_async(mpv_, kNoReply, "external-files", MPV_FORMAT_NODE, &files);
    const char* command[] = {"loadfile", file.constData(), "replace", nullptr};
    if (const int e = mpv_command_async(mpv_, kLoadReply | opening, command); e < 0)
        return failLater(OpenFailure::CannotDecode, errorText(e));
    return opening;
}

uint64_t MpvPlayer::failLater(OpenFailure failure, const QString& detail) {
    const uint64_t opening = opening_;
    // Reported from the event loop, as a load's outcome is, so callers see one order.
    QTimer::singleShot(0, this, [this, opening, failure, detail] {
        if (opening == opening_) emit opened(opening, failure, detail);
    });
    return opening;
}

void MpvPlayer::finishOpening(OpenFailure failure, const QString& detail) {
    pendingEntry_ = -1;
    awaitingFirstFrame_ = false;
    if (failure == OpenFailure::None) {
        openEntry_ = startedEntry_;
        hasAudio_ = pendingHasAudio_;
        mpv_get_property(mpv_, "duration", MPV_FORMAT_DOUBLE, &duration_);
        idle_ = false;  // a file is loaded
        setOpen(true);
    } else {
        stop();  // no sound from a file without a picture
    }
    emit opened(opening_, failure, detail);
}

void MpvPlayer::stop() {
    if (!mpv_) return;
    const char* command[] = {"stop", nullptr};
    mpv_command_async(mpv_, kNoReply, command);
}

void MpvPlayer::setOpen(bool open) {
    const bool wasPlaying = isPlaying();
    open_ = open;
    if (wasPlaying != isPlaying()) emit playingChanged();
}

void MpvPlayer::play() {
    if (!mpv_ || !open_) return;
    if (atEnd_) {
        position_ = 0;
        seekToSeconds(0);
    }
    setPaused(false);
}

void MpvPlayer::pause() { setPaused(true); }

void MpvPlayer::setPaused(bool paused) {
    if (!mpv_ || !open_) return;
    int flag = paused ? 1 : 0;
    mpv_set_property_async(mpv_, kNoReply, "pause", MPV_FORMAT_FLAG, &flag);
    dropCounts_.clear();
    // The state changes now, as a caller expects; the property's own change
    // notice then finds nothing new.
    updateState(paused, idle_);
}

void MpvPlayer::updateState(bool paused, bool idle) {
    const bool wasPlaying = isPlaying();
    paused_ = paused, idle_ = idle;
    if (wasPlaying != isPlaying()) {
        emit playingChanged();
        if (open_) emitTick();
    }
}

void MpvPlayer::seekToSeconds(int64_t seconds) { seekTo(QByteArray::number(qlonglong(seconds))); }

void MpvPlayer::seekToTime(double seconds) { seekTo(QByteArray::number(std::max(seconds, 0.0), 'f', 3)); }

void MpvPlayer::seekTo(const QByteArray& target) {
    if (!mpv_ || !open_) return;
    atEnd_ = false;  // the end's fixed position no longer holds
    seeking_ = true;
    dropCounts_.clear();
    const char* command[] = {"seek", target.constData(), "absolute+exact", nullptr};
    mpv_command_async(mpv_, kNoReply, command);
}

void MpvPlayer::stepFrame(bool forward) {
    if (!mpv_ || !open_) return;
    atEnd_ = false;
    // A step sent while a seek is on its way is taken up by the seek's first frame
    // and lost; it waits for the seek to land.
    if (seeking_) queuedSteps_.push_back(forward);
    else sendStep(forward);
    updateState(true, idle_);  // mpv pauses after a step
}

void MpvPlayer::sendStep(bool forward) {
    stepping_ = true;
    const char* command[] = {forward ? "frame-step" : "frame-back-step", nullptr};
    mpv_command_async(mpv_, kNoReply, command);
}

void MpvPlayer::setSpeed(double speed) {
    if (!mpv_) return;
    speed_ = speed;
    dropCounts_.clear();
    mpv_set_property_async(mpv_, kNoReply, "speed", MPV_FORMAT_DOUBLE, &speed);
}

void MpvPlayer::setMuted(bool muted) {
    if (!mpv_) return;
    if (std::exchange(muted_, muted) == muted) return;
    int flag = muted ? 1 : 0;
    mpv_set_property_async(mpv_, kNoReply, "mute", MPV_FORMAT_FLAG, &flag);
    emit volumeChanged();
}

void MpvPlayer::changeVolume(int percent) { setVolume(volume_ + percent); }

void MpvPlayer::setVolume(int percent) {
    if (!mpv_) return;
    // Within mpv's volume-max: full is the file's own level, never amplified.
    percent = std::clamp(percent, 0, 100);
    if (std::exchange(volume_, percent) == percent) return;
    double level = percent;
    mpv_set_property_async(mpv_, kNoReply, "volume", MPV_FORMAT_DOUBLE, &level);
    emit volumeChanged();
}

MediaTime MpvPlayer::currentTime() const {
    // Nanoseconds, the finest scale a position needs.
    return {int64_t(std::llround(position_ * 1e9)), 1000000000};
}

QImage MpvPlayer::currentFrame(QString* reason) {
    auto fail = [&](const QString& why) {
        if (reason) *reason = why;
        return QImage();
    };
    if (!mpv_ || !open_) return fail(tr("no recording is open"));
    const char* command[] = {"screenshot-raw", "video", nullptr};
    mpv_node result{};
    if (const int e = mpv_command_ret(mpv_, command, &result); e < 0) return fail(errorText(e));
    QImage image;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        int64_t w = 0, h = 0, stride = 0;
        const char* format = nullptr;
        const mpv_byte_array* data = nullptr;
        for (int i = 0; i < result.u.list->num; ++i) {
            const char* key = result.u.list->keys[i];
            const mpv_node& v = result.u.list->values[i];
            if (!std::strcmp(key, "w")) w = v.u.int64;
            else if (!std::strcmp(key, "h")) h = v.u.int64;
            else if (!std::strcmp(key, "stride")) stride = v.u.int64;
            else if (!std::strcmp(key, "format")) format = v.u.string;
            else if (!std::strcmp(key, "data") && v.format == MPV_FORMAT_BYTE_ARRAY) data = v.u.ba;
        }
        // "bgr0" is B, G, R, padding in memory: a 32-bit 0xffRRGGBB word on little-endian.
        if (format && !std::strcmp(format, "bgr0") && data && w > 0 && h > 0 && stride >= w * 4 &&
            size_t(stride * h) <= data->size)
            image = QImage(static_cast<const uchar*>(data->data), int(w), int(h), int(stride), QImage::Format_RGB32).copy();
    }
    mpv_free_node_contents(&result);
    if (image.isNull()) return fail(QStringLiteral("the player gave no frame"));
    return image;
}

void MpvPlayer::handleEvents() {
    wakeupPending_ = false;
    if (!mpv_) return;
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE) break;
        dispatch(*event);
    }
}

void MpvPlayer::dispatch(const mpv_event& event) {
    const bool loadingThis = pendingEntry_ >= 0 && startedEntry_ == pendingEntry_;
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY: {
        if (!(event.reply_userdata & kLoadReply) || (event.reply_userdata & ~kLoadReply) != opening_) break;
        if (event.error < 0) {
            failLater(OpenFailure::CannotDecode, errorText(event.error));
            break;
        }
        const mpv_node& result = static_cast<const mpv_event_command*>(event.data)->result;
        if (result.format == MPV_FORMAT_NODE_MAP)
            for (int i = 0; i < result.u.list->num; ++i)
                if (!std::strcmp(result.u.list->keys[i], "playlist_entry_id") && result.u.list->values[i].format == MPV_FORMAT_INT64)
                    pendingEntry_ = result.u.list->values[i].u.int64;
        if (pendingEntry_ < 0) failLater(OpenFailure::CannotDecode, QStringLiteral("the player did not take the file"));
        break;
    }
    case MPV_EVENT_START_FILE:
        startedEntry_ = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        pendingHasVideo_ = pendingHasAudio_ = false;
        videoConfigured_ = false;
        break;
    case MPV_EVENT_HOOK: {
        const auto* hook = static_cast<const mpv_event_hook*>(event.data);
        if (event.reply_userdata == kPreloadedHook && loadingThis) {
            pendingHasVideo_ = hasTrack(mpv_, "video");
            pendingHasAudio_ = hasTrack(mpv_, "audio");
            takeChannels();
        }
        mpv_hook_continue(mpv_, hook->id);  // mpv waits until it is let go
        break;
    }
    case MPV_EVENT_FILE_LOADED:  // about the entry started last
        if (!loadingThis) break;
        if (!pendingHasVideo_) finishOpening(OpenFailure::NoVideo, QStringLiteral("the file has no video track"));
        else awaitingFirstFrame_ = true;
        break;
    case MPV_EVENT_VIDEO_RECONFIG:  // comes before the restart only when a frame was decoded
        if (awaitingFirstFrame_) videoConfigured_ = true;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:  // the first frame is ready, or a seek landed
        if (awaitingFirstFrame_ && loadingThis) {
            if (videoConfigured_) finishOpening(OpenFailure::None, {});
            else finishOpening(OpenFailure::CannotDecode, QStringLiteral("no frame of the video could be decoded"));
        } else if (open_) {
            emitTick();
            seeking_ = false;
            const std::vector<bool> steps = std::exchange(queuedSteps_, {});
            for (const bool forward : steps) sendStep(forward);
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end->playlist_entry_id == pendingEntry_) {
            const bool error = end->reason == MPV_END_FILE_REASON_ERROR;
            // Nothing to play and no video track: the telemetry track alone is not a picture.
            const bool noVideo = error && end->error == MPV_ERROR_NOTHING_TO_PLAY && !pendingHasVideo_;
            finishOpening(noVideo ? OpenFailure::NoVideo : OpenFailure::CannotDecode,
                          error ? errorText(end->error) : QStringLiteral("the file ended while loading"));
        } else if (end->playlist_entry_id == openEntry_ && open_) {
            openEntry_ = -1;
            setOpen(false);
            if (end->reason == MPV_END_FILE_REASON_EOF) {
                const uint64_t opening = opening_;
                QTimer::singleShot(0, this, [this, opening] {
                    if (opening == opening_) emit endOfItem();
                });
            }
        }
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* p = static_cast<const mpv_event_property*>(event.data);
        if (event.reply_userdata == kTimePos) {
            // At the end and while loading the position is unavailable: that is not 0.
            if (p->format != MPV_FORMAT_DOUBLE || atEnd_) break;
            position_ = *static_cast<double*>(p->data);
            // Paused, the position moves only by a step or a seek, and the labels must
            // follow each: the change a seek left behind can arrive after a step was sent,
            // so a flag cleared by the first change would miss the step's own.
            if (open_ && (stepping_ || paused_ || int64_t(std::floor(position_)) != lastTickSecond_)) emitTick();
            stepping_ = false;
        } else if (event.reply_userdata == kPause || event.reply_userdata == kIdle) {
            const bool flag = p->format == MPV_FORMAT_FLAG && *static_cast<int*>(p->data);
            if (event.reply_userdata == kPause) updateState(flag, idle_);
            else updateState(paused_, flag);
        } else if (event.reply_userdata == kEof) {
            const bool eof = p->format == MPV_FORMAT_FLAG && *static_cast<int*>(p->data);
            if (!open_ || eof == atEnd_) break;
            atEnd_ = eof;
            if (!eof) break;
            // The end shows what the end of the recording maps to, and the knob stays there.
            position_ = std::max(position_, duration_);
            emitTick();
            const uint64_t opening = opening_;
            // Handled after this round of events, as the handler may open the next file.
            QTimer::singleShot(0, this, [this, opening] {
                if (opening == opening_) emit endOfItem();
            });
        }
        break;
    }
    default:
        break;
    }
}

void MpvPlayer::takeChannels() {
    int64_t count = 0;
    mpv_get_property(mpv_, "track-list/count", MPV_FORMAT_INT64, &count);
    const auto text = [&](int64_t i, const char* key) {
        const QByteArray name = "track-list/" + QByteArray::number(i) + "/" + key;
        char* value = mpv_get_property_string(mpv_, name.constData());
        const QByteArray result(value);
        mpv_free(value);
        return result;
    };
    channels_.assign(size_t(givenChannels_.size()) + 1, std::nullopt);
    std::optional<QByteArray> ownAudio;
    for (int64_t i = 0; i < count; ++i) {
        const QByteArray type = text(i, "type");
        const bool external = text(i, "external") == "yes";
        if (type == "audio" && !external && !ownAudio) ownAudio = text(i, "id");
        if (type != "video") continue;
        // The recording's own first picture, and each channel's first.
        const qsizetype at = external ? givenChannels_.indexOf(text(i, "external-filename")) + 1 : 0;
        if ((external && at == 0) || channels_[size_t(at)]) continue;
        channels_[size_t(at)] = ChannelTrack{text(i, "id").toInt(), text(i, "demux-w").toInt(), text(i, "demux-h").toInt()};
    }
    for (qsizetype i = 0; i < givenChannels_.size(); ++i)
        if (!channels_[size_t(i) + 1] && !leftOut_.contains(givenChannels_[i])) leftOut_ << givenChannels_[i];
    // Sound is the recording's own, never another channel's.
    mpv_set_property_string(mpv_, "aid", ownAudio ? ownAudio->constData() : "no");
    mpv_set_property_string(mpv_, "lavfi-complex", composedGraph().constData());
}

MpvPlayer::Shown MpvPlayer::shownChannels() const {
    Shown shown;
    if (channels_.empty() || !channels_[0]) return shown;
    const bool largeShown = large_ >= 0 && large_ < int(channels_.size()) && channels_[size_t(large_)];
    for (size_t i = 0; i < channels_.size(); ++i) {
        if (!channels_[i]) continue;
        // Alone, the large one, or the recording's own when that one is not there.
        if (largeAlone_ && int(i) != (largeShown ? large_ : 0)) continue;
        if (int(i) == large_) shown.large = int(shown.tracks.size());
        shown.tracks.push_back(*channels_[i]);
        shown.indexes.push_back(int(i));
    }
    return shown;
}

QByteArray MpvPlayer::composedGraph() const {
    const Shown shown = shownChannels();
    return channelGraph(shown.tracks, layout_, shown.large);
}

int MpvPlayer::channelAt(QPointF point, QSizeF area) const {
    if (!open_) return -1;
    const Shown shown = shownChannels();
    const ChannelPlaces places = channelPlaces(shown.tracks, layout_, shown.large);
    const std::optional<QPointF> at = pictureAt(area, places.frame, point);
    const int channel = at ? ::channelAt(places, *at) : -1;
    return channel < 0 ? -1 : shown.indexes[size_t(channel)];
}

std::optional<MediaPlayer::ChannelFrame> MpvPlayer::largeChannelFrame() const {
    const Shown shown = shownChannels();
    if (!open_ || shown.tracks.size() < 2) return std::nullopt;
    // mpv's own time: the last tick's can lag behind a seek that has landed. At the end mpv
    // has none, and the frame is the last.
    double seconds = -1;
    if (!atEnd_) mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &seconds);
    const int large = shown.indexes[size_t(shown.large)];
    return ChannelFrame{large == 0 ? file_ : givenChannels_.value(large - 1), seconds};
}

void MpvPlayer::setChannelView(ChannelLayout layout, int large) {
    layout_ = layout, large_ = large;
    if (!mpv_ || !open_ || channels_.size() < 2) return;
    applyView();
}

void MpvPlayer::applyView() {
    // mpv rebuilds the graph in place and goes on from the same frame.
    const QByteArray graph = composedGraph();
    const char* value = graph.constData();
    mpv_set_property_async(mpv_, kNoReply, "lavfi-complex", MPV_FORMAT_STRING, &value);
    const Shown shown = shownChannels();
    if (!graph.isEmpty() || shown.tracks.empty()) return;
    // No graph: the one channel's own track, and only it is decoded.
    int64_t id = shown.tracks.front().id;
    mpv_set_property_async(mpv_, kNoReply, "vid", MPV_FORMAT_INT64, &id);
}

void MpvPlayer::showLargeChannelAlone() {
    if (!mpv_ || !open_ || largeAlone_ || shownChannels().tracks.size() < 2) return;
    const std::vector<int> before = shownChannels().indexes;
    largeAlone_ = true;
    const Shown shown = shownChannels();
    const auto fileOf = [&](int i) { return i == 0 ? file_ : givenChannels_.value(i - 1); };
    QByteArrayList out;
    for (const int i : before)
        if (i != shown.indexes.front()) out << fileOf(i);
    applyView();
    emit fellBehind(fileOf(shown.indexes.front()), out);
}

void MpvPlayer::watchDrops() {
    if (!isPlaying() || speed_ > 1 || shownChannels().tracks.size() < 2) {
        dropCounts_.clear();
        return;
    }
    // At a higher speed dropping frames is the speed's own cost, not the channels'.
    int64_t output = 0, decoder = 0;
    mpv_get_property(mpv_, "frame-drop-count", MPV_FORMAT_INT64, &output);
    mpv_get_property(mpv_, "decoder-frame-drop-count", MPV_FORMAT_INT64, &decoder);
    dropCounts_.push_back(output + decoder);
    if (fallingBehind(dropCounts_)) showLargeChannelAlone();
}

void MpvPlayer::emitTick() {
    lastTickSecond_ = int64_t(std::floor(position_));
    emit tick(currentTime());
}
