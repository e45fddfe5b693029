#pragma once
// The media player on libmpv's client API. With Output::Window the video is drawn
// by an MpvVideoWidget through the render API; with Output::None nothing is shown
// (and no sound device is needed), for tests.

#include <mpv/client.h>

#include <atomic>

#include "MediaPlayer.h"

class MpvPlayer : public MediaPlayer {
    Q_OBJECT
public:
    enum class Output { Window, None };

    explicit MpvPlayer(Output output, QObject* parent = nullptr);
    ~MpvPlayer() override;

    bool open(const QString& path, QString* reason) override;
    bool isOpen() const override { return open_; }
    void play() override;
    void pause() override;
    bool isPlaying() const override { return open_ && !paused_ && !idle_; }
    void seekToSeconds(int64_t seconds) override;
    MediaTime currentTime() const override;
    double duration() const override { return duration_; }
    QImage currentFrame(QString* reason) override;

    mpv_handle* handle() const { return mpv_; }
    bool usable() const { return mpv_ != nullptr; }

private:
    Q_INVOKABLE void handleEvents();
    void dispatch(const mpv_event& event);
    void emitTick();
    void setPaused(bool paused);
    void updateState(bool paused, bool idle);

    mpv_handle* mpv_ = nullptr;
    std::atomic<bool> wakeupPending_{false};
    bool open_ = false;
    bool paused_ = true;
    bool idle_ = true;
    double position_ = 0;
    double duration_ = 0;
    int64_t lastTickSecond_ = -1;
    int openingDepth_ = 0;
};
