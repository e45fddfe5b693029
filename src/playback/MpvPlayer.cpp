#include "MpvPlayer.h"

#include <QElapsedTimer>
#include <QFile>
#include <cmath>
#include <cstring>

namespace {

constexpr uint64_t kTimePos = 1, kPause = 2, kIdle = 3;

QString errorText(int error) { return QString::fromUtf8(mpv_error_string(error)); }

bool hasVideoTrack(mpv_handle* mpv) {
    int64_t count = 0;
    if (mpv_get_property(mpv, "track-list/count", MPV_FORMAT_INT64, &count) < 0) return false;
    for (int64_t i = 0; i < count; ++i) {
        const QByteArray key = "track-list/" + QByteArray::number(i) + "/type";
        char* type = mpv_get_property_string(mpv, key.constData());
        const bool video = type && std::strcmp(type, "video") == 0;
        mpv_free(type);
        if (video) return true;
    }
    return false;
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
    mpv_set_option_string(mpv_, "keep-open", "no");
    mpv_set_option_string(mpv_, "sid", "no");  // the telemetry text track is not for showing
    mpv_set_option_string(mpv_, "hwdec", "no");
    mpv_set_option_string(mpv_, "gpu-hwdec-interop", "no");  // no probing of GPU decoders we never use
    mpv_set_option_string(mpv_, "input-default-bindings", "no");
    mpv_set_option_string(mpv_, "osc", "no");
    mpv_set_option_string(mpv_, "terminal", "no");
    mpv_set_option_string(mpv_, "hr-seek", "yes");
    if (mpv_initialize(mpv_) < 0) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        return;
    }
    mpv_observe_property(mpv_, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, kIdle, "idle-active", MPV_FORMAT_FLAG);
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

bool MpvPlayer::open(const QString& path, QString* reason) {
    auto fail = [&](const QString& why) {
        if (reason) *reason = why;
        open_ = false;
        return false;
    };
    if (!mpv_) return fail(QStringLiteral("the video player could not be started"));
    open_ = false;
    duration_ = 0;
    position_ = 0;
    lastTickSecond_ = -1;
    int pause = 1;
    mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &pause);
    const QByteArray file = QFile::encodeName(path);
    const char* command[] = {"loadfile", file.constData(), "replace", nullptr};
    if (const int e = mpv_command(mpv_, command); e < 0) return fail(errorText(e));

    // Wait for this file to load, as the window needs its length and whether it
    // has a picture before it goes on; other events are handled on the way.
    ++openingDepth_;
    QElapsedTimer timer;
    timer.start();
    bool loaded = false;
    QString why;
    while (!loaded && why.isEmpty()) {
        const double left = 10.0 - timer.elapsed() / 1000.0;
        if (left <= 0) {
            why = QStringLiteral("timed out loading the file");
            break;
        }
        const mpv_event* event = mpv_wait_event(mpv_, left);
        if (event->event_id == MPV_EVENT_FILE_LOADED) loaded = true;
        if (event->event_id == MPV_EVENT_END_FILE) {
            const auto* end = static_cast<const mpv_event_end_file*>(event->data);
            if (end->reason == MPV_END_FILE_REASON_ERROR) why = errorText(end->error);
            continue;  // the end of the file open before this one is not news
        }
        dispatch(*event);
    }
    --openingDepth_;
    if (!loaded) return fail(why);
    if (!hasVideoTrack(mpv_)) {
        const char* stop[] = {"stop", nullptr};
        mpv_command(mpv_, stop);
        return fail(QStringLiteral("the file has no video track"));
    }
    mpv_get_property(mpv_, "duration", MPV_FORMAT_DOUBLE, &duration_);
    idle_ = false;  // a file is loaded
    open_ = true;
    return true;
}

void MpvPlayer::play() { setPaused(false); }

void MpvPlayer::pause() { setPaused(true); }

void MpvPlayer::setPaused(bool paused) {
    if (!mpv_ || !open_) return;
    int flag = paused ? 1 : 0;
    mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &flag);
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

void MpvPlayer::seekToSeconds(int64_t seconds) {
    if (!mpv_ || !open_) return;
    const QByteArray target = QByteArray::number(qlonglong(seconds));
    const char* command[] = {"seek", target.constData(), "absolute+exact", nullptr};
    mpv_command(mpv_, command);
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
    if (!mpv_ || !open_) return fail(QStringLiteral("no recording is open"));
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
    if (!mpv_ || openingDepth_) return;  // open() is reading the events itself
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE) break;
        dispatch(*event);
    }
}

void MpvPlayer::dispatch(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* p = static_cast<const mpv_event_property*>(event.data);
        if (event.reply_userdata == kTimePos) {
            position_ = p->format == MPV_FORMAT_DOUBLE ? *static_cast<double*>(p->data) : 0.0;
            const auto second = int64_t(std::floor(position_));
            if (open_ && second != lastTickSecond_) emitTick();
        } else if (event.reply_userdata == kPause || event.reply_userdata == kIdle) {
            const bool flag = p->format == MPV_FORMAT_FLAG && *static_cast<int*>(p->data);
            if (event.reply_userdata == kPause) updateState(flag, idle_);
            else updateState(paused_, flag);
        }
        break;
    }
    case MPV_EVENT_PLAYBACK_RESTART:  // playback started, or a seek landed
        if (open_) emitTick();
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end->reason == MPV_END_FILE_REASON_EOF && open_) {
            const bool wasPlaying = isPlaying();
            open_ = false;
            if (wasPlaying) emit playingChanged();
            // Handled after this round of events, as the handler may open the next file.
            QMetaObject::invokeMethod(this, &MediaPlayer::endOfItem, Qt::QueuedConnection);
        }
        break;
    }
    default:
        break;
    }
}

void MpvPlayer::emitTick() {
    lastTickSecond_ = int64_t(std::floor(position_));
    emit tick(currentTime());
}
