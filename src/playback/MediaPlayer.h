#pragma once
// What the window needs of a media player: open a recording, play, pause, seek
// to whole seconds, the time, the playing state, the end of the recording, a tick
// about once per second of playback, and the frame on screen at its own size.

#include <QImage>
#include <QObject>
#include <QString>
#include <cstdint>

struct MediaTime {
    int64_t value = 0;
    int32_t timescale = 1;
};

class MediaPlayer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens a recording paused at its start, replacing the one open before. False
    // with a reason when it cannot be played (missing, unreadable, no video).
    virtual bool open(const QString& path, QString* reason) = 0;
    virtual bool isOpen() const = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual bool isPlaying() const = 0;
    virtual void seekToSeconds(int64_t seconds) = 0;
    virtual MediaTime currentTime() const = 0;
    virtual double duration() const = 0;  // seconds of the open recording's video
    // The decoded frame at the current time, at the video's own pixel size; a null
    // image with a reason when there is none.
    virtual QImage currentFrame(QString* reason) = 0;

signals:
    void playingChanged();
    void tick(MediaTime time);  // each whole second of playback, and at start, pause and seek
    void endOfItem();           // the open recording has played to its end
};
