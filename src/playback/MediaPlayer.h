#pragma once
// What the window needs of a media player: open a recording, play, pause, seek
// to whole seconds, the time, the playing state, the end of the recording, a tick
// about once per second of playback, and the frame on screen at its own size.

#include <QByteArrayList>
#include <QImage>
#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <optional>

#include "ChannelGraph.h"

struct MediaTime {
    int64_t value = 0;
    int32_t timescale = 1;
};

class MediaPlayer : public QObject {
    Q_OBJECT
public:
    // Why an opening failed; None when it succeeded.
    enum class OpenFailure { None, NoPlayer, Gone, NotRegularFile, Unreadable, NoVideo, CannotDecode };

    using QObject::QObject;

    // Starts opening a recording, paused at its start, in place of the one open
    // before, and returns at once with the opening's number. opened() reports the
    // outcome later, never before this returns; an opening superseded by a newer
    // one is never reported. The path is the file system's bytes (QFile::encodeName),
    // so a name that is not UTF-8 still plays.
    virtual uint64_t open(const QByteArray& nativePath) = 0;
    // The same with the other channels of the recording's moment (rear, interior),
    // composed as setChannelView() says on the recording's clock. A channel that is
    // missing or has no picture is left out and the recording plays without it.
    virtual uint64_t open(const QByteArray& nativePath, const QByteArrayList& otherChannels) = 0;
    // Which channel is large (0 the recording's own, then the others in order) and how
    // the rest show; kept across recordings and applied at once to the one open.
    virtual void setChannelView(ChannelLayout layout, int large) = 0;
    // The other channels of the open recording that are not shown.
    virtual QByteArrayList channelsLeftOut() const = 0;
    // The channel (numbered as for setChannelView) whose picture is at a point of a video
    // area of that size, where the picture shows scaled to fit and centred; -1 on none,
    // and while one channel shows alone.
    virtual int channelAt(QPointF point, QSizeF area) const = 0;
    // The file of the channel shown large while others show with it, and the time of its
    // frame on screen in that file (negative at the end: its last frame); none while the
    // picture is one channel's alone.
    struct ChannelFrame {
        QByteArray file;
        double seconds = 0;
    };
    virtual std::optional<ChannelFrame> largeChannelFrame() const = 0;
    // Plays the channel shown large alone until the next opening: the others are left out.
    virtual void showLargeChannelAlone() = 0;
    virtual bool isOpen() const = 0;
    // Closes the open recording, or drops the opening under way, unreported.
    virtual void close() = 0;
    // Plays; at the end of the recording, plays it again from its start.
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual bool isPlaying() const = 0;
    virtual void seekToSeconds(int64_t seconds) = 0;
    // To the frame at a time within the second (a click on the chart).
    virtual void seekToTime(double seconds) = 0;
    virtual MediaTime currentTime() const = 0;
    virtual double duration() const = 0;  // seconds of the open recording's video
    // One frame on or back, leaving the player paused there; a tick follows.
    virtual void stepFrame(bool forward) = 0;
    // Playback rate, 1 for normal speed; kept across recordings.
    virtual void setSpeed(double speed) = 0;
    virtual double speed() const = 0;
    virtual void setMuted(bool muted) = 0;
    virtual bool isMuted() const = 0;
    virtual void changeVolume(int percent) = 0;  // by this many points of 0..100
    virtual void setVolume(int percent) = 0;     // 0..100
    virtual int volume() const = 0;
    // Whether the open recording has sound; false while nothing is open.
    virtual bool hasAudio() const = 0;
    // The decoded frame at the current time, at the video's own pixel size; a null
    // image with a reason when there is none.
    virtual QImage currentFrame(QString* reason) = 0;

signals:
    // The opening numbered `opening` has loaded (failure None) or failed; detail
    // says more for the log.
    void opened(uint64_t opening, MediaPlayer::OpenFailure failure, const QString& detail);
    void playingChanged();
    void tick(MediaTime time);  // each whole second of playback, at start, pause and seek, and at the end
    void endOfItem();           // the open recording has played to its end
    void volumeChanged();       // the volume or the muting
    // Playback could not keep up with the other channels: the large one plays alone.
    void fellBehind(const QByteArray& kept, const QByteArrayList& leftOut);
};

// The short text the video area shows for a failed opening.
QString openFailureText(MediaPlayer::OpenFailure failure);
