#pragma once
// The one open recording: its opening and outcome, seeking, next and previous, speed, the tick's sample.

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "MediaPlayer.h"
#include "PlaybackTick.h"

class RecordingLibrary;

class PlaybackSession : public QObject {
    Q_OBJECT
public:
    // The recording chosen last: still opening, playing, or failed to play.
    struct Recording {
        int32_t row = 0;
        QByteArray path;  // the file system's bytes as the scan had them: a name need not be UTF-8
        QString name;
        uint64_t opening = 0;     // the player's number for this opening
        bool playing = false;     // the player has opened it
        bool playingOn = false;   // it follows a recording that played to its end
        std::optional<double> pendingSeek;  // seconds to go to once it plays
        std::optional<uint32_t> shownSample;
        bool sampleFromReader = false;  // the sample is one of the reader's, not of the scanned texts
    };
    struct Vehicle {
        double latitude = 0, longitude = 0;
        int32_t heading = 0;
    };
    struct ShownSample {
        TickTexts texts;
        std::optional<Vehicle> vehicle;  // none when the sample has no usable fix
    };

    PlaybackSession(RecordingLibrary& library, MediaPlayer& player, QObject* parent = nullptr);

    const std::optional<Recording>& recording() const { return recording_; }
    bool isOpen() const { return recording_ && recording_->playing; }
    // The playback position in seconds; none while nothing plays.
    std::optional<double> position() const;
    // The player to watch (playing or not, its time, its speed); it is steered through the session.
    const MediaPlayer& player() const { return player_; }
    // The labels' texts of the sample on screen; none until a tick has shown one.
    std::optional<TickTexts> shownTexts() const;
    void setSpeedUnit(int64_t unit) { speedUnit_ = unit; }

    // Opens the row's recording in place of the one open; false, and the open one
    // goes on playing, when the row is not indexed yet. The player tells later.
    bool open(int32_t row);
    void close();

    // Seeks the recording playing, or the one opening once it plays.
    void seekTo(double seconds);
    // Whole seconds on from where the recording is, or from where it was last sent and has
    // not yet reached, within the recording.
    void seekBy(double seconds);
    void seekToEnd();
    // Plays from 5 s before an event, opening its recording first when another is open.
    void seekToEvent(int32_t row, double videoSeconds);
    void playNeighbour(int delta);  // the recording delta rows on, if it is indexed
    // The row delta rows on from a row, -1 past either end: the table's shown order.
    using Order = std::function<int32_t(int32_t row, int delta)>;
    void setOrder(Order order) { order_ = std::move(order); }
    void itemDidFinishPlaying();

    // How the channels of a moment show, and which one large ("front", "rear",
    // "interior"; the row's first when it has not that one); kept across rows.
    void setChannelView(ChannelLayout layout, const QString& large);
    // The channels of the row open, the indexed one first.
    QStringList channels() const;

    void setSpeed(double speed);
    void stepSpeed(int steps);
    void rateChanged();

    void tick(MediaTime time);
    // The tick of a recording whose telemetry another camera's reader decoded.
    void tickOnSamples(float positionMs, const std::vector<telemetry::Sample>& samples);

signals:
    void closed();                                  // nothing of the last recording may stay on screen
    void opening(int32_t row, const QString& name);  // the player loads it
    void opened(int32_t row, int lengthMs);
    void openFailed(const QString& reason, const QString& message);
    // The user's way to a row (next, previous, an event's): the window selects it and plays it.
    void rowChosen(int32_t row);
    void positionChanged(int positionMs);  // the player's, each tick
    void sought(double seconds);
    void sampleShown(const PlaybackSession::ShownSample& sample);
    void speedChanged(double speed);
    void notice(const QString& text);  // for the status bar

private:
    void playerOpened(uint64_t opening, MediaPlayer::OpenFailure failure, const QString& detail);
    void playOn();  // the row after the one playing, if there is one
    int32_t neighbour(int32_t row, int delta) const;
    int largeChannel() const;  // the open row's channel shown large, by its place

    RecordingLibrary& library_;
    MediaPlayer& player_;
    std::optional<Recording> recording_;
    QMetaObject::Connection rateObservation_;
    int64_t speedUnit_ = 0;
    Order order_;
    // The last seek sent and the position then: until the player moves, the seek is where it is.
    struct Sent {
        double to = 0, from = 0;
    };
    std::optional<Sent> sent_;
    ChannelLayout layout_ = ChannelLayout::PictureInPicture;
    QString large_ = QStringLiteral("front");
};
