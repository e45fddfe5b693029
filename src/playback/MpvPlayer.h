#pragma once
// The media player on libmpv's client API. With Output::Window the video is drawn
// by an MpvVideoWidget through the render API; with Output::None nothing is shown
// (and no sound device is needed), for tests.
//
// Opening is asynchronous: every mpv event names the playlist entry it belongs to
// (or comes in order after the one that does), and only the entry of the latest
// open() is listened to, so a superseded or earlier file's news never reaches the
// recording now on screen.

#include <mpv/client.h>

#include <atomic>
#include <optional>
#include <vector>

#include "MediaPlayer.h"

class MpvPlayer : public MediaPlayer {
    Q_OBJECT
public:
    enum class Output { Window, None };

    explicit MpvPlayer(Output output, QObject* parent = nullptr);
    ~MpvPlayer() override;

    uint64_t open(const QByteArray& nativePath) override { return open(nativePath, {}); }
    uint64_t open(const QByteArray& nativePath, const QByteArrayList& otherChannels) override;
    void setChannelView(ChannelLayout layout, int large) override;
    QByteArrayList channelsLeftOut() const override { return leftOut_; }
    int channelAt(QPointF point, QSizeF area) const override;
    std::optional<ChannelFrame> largeChannelFrame() const override;
    void showLargeChannelAlone() override;
    bool isOpen() const override { return open_; }
    void close() override;
    void play() override;
    void pause() override;
    bool isPlaying() const override { return open_ && !paused_ && !idle_; }
    void seekToSeconds(int64_t seconds) override;
    void seekToTime(double seconds) override;
    MediaTime currentTime() const override;
    double duration() const override { return duration_; }
    QImage currentFrame(QString* reason) override;
    void stepFrame(bool forward) override;
    void setSpeed(double speed) override;
    double speed() const override { return speed_; }
    void setMuted(bool muted) override;
    bool isMuted() const override { return muted_; }
    void changeVolume(int percent) override;
    void setVolume(int percent) override;
    int volume() const override { return volume_; }
    bool hasAudio() const override { return open_ && hasAudio_; }

    mpv_handle* handle() const { return mpv_; }
    bool usable() const { return mpv_ != nullptr; }

private:
    Q_INVOKABLE void handleEvents();
    void seekTo(const QByteArray& target);  // mpv's absolute time text
    void dispatch(const mpv_event& event);
    void emitTick();
    void setPaused(bool paused);
    void updateState(bool paused, bool idle);
    void setOpen(bool open);
    uint64_t failLater(OpenFailure failure, const QString& detail);
    void finishOpening(OpenFailure failure, const QString& detail);
    void stop();
    void forget();  // nothing open, nothing opening
    void sendStep(bool forward);
    void takeChannels();  // in the preloaded hook: which channels have a picture, and their graph
    void applyView();     // the graph for the channels shown, or the large one's track alone
    void watchDrops();    // once a second: whether playback keeps up with the channels

    mpv_handle* mpv_ = nullptr;
    std::atomic<bool> wakeupPending_{false};
    bool open_ = false;
    bool paused_ = true;
    bool idle_ = true;
    bool atEnd_ = false;  // played to the end; the last frame stays
    double position_ = 0;
    double duration_ = 0;
    int64_t lastTickSecond_ = -1;
    bool stepping_ = false;  // a frame step's new position is ticked, second or not
    bool seeking_ = false;            // a seek was sent and has not landed yet
    std::vector<bool> queuedSteps_;  // steps asked for meanwhile, forward or not
    double speed_ = 1;
    bool muted_ = false;
    int volume_ = 100;
    bool hasAudio_ = false;

    uint64_t opening_ = 0;       // number of the latest open()
    int64_t pendingEntry_ = -1;  // playlist entry of that opening until it is reported
    int64_t startedEntry_ = -1;  // entry mpv is loading or has loaded
    int64_t openEntry_ = -1;     // entry of the recording that is open
    bool pendingHasVideo_ = false;
    bool pendingHasAudio_ = false;
    bool awaitingFirstFrame_ = false;
    bool videoConfigured_ = false;

    QByteArray composedGraph() const;
    // The channels that have a picture, their indexes in channels_ and the large one's place among them.
    struct Shown {
        std::vector<ChannelTrack> tracks;
        std::vector<int> indexes;
        int large = 0;
    };
    Shown shownChannels() const;

    QByteArray file_;                 // the recording given to the latest open()
    QByteArrayList givenChannels_;    // the other channels given to the latest open()
    QByteArrayList pendingChannels_;  // of those, the files there are
    QByteArrayList leftOut_;          // of those, the ones not shown
    std::vector<std::optional<ChannelTrack>> channels_;  // the pictures: its own, then each given channel's
    ChannelLayout layout_ = ChannelLayout::PictureInPicture;
    int large_ = 0;
    bool largeAlone_ = false;          // the others left out for this opening
    class QTimer* dropWatch_ = nullptr;
    std::vector<int64_t> dropCounts_;  // mpv's drop counts, a second apart, since a seek or pause
};
