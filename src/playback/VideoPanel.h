#pragma once
// The video and our own control bar under it: play/pause and a full-screen
// toggle; their keys are the window's menu actions. In place of
// the picture it can show a plain message: why nothing plays, or that a
// recording is opening. In full screen the bar shows only while the pointer
// moves, as video players do; a double-click on the picture toggles full screen, and a
// single click on one channel's picture names that channel.

#include <QWidget>

class MediaPlayer;
class QToolButton;

class VideoPanel : public QWidget {
    Q_OBJECT
public:
    // video: the widget that shows the player's picture (any widget without a display).
    VideoPanel(MediaPlayer* player, QWidget* video, QWidget* parent = nullptr);

    QWidget* video() const { return video_; }
    void setFullScreenButtonVisible(bool visible);
    void togglePlay();
    void toggleFullScreen();  // only while the button shows: a recording is open
    void leaveFullScreen();
    // Shows a plain panel saying text in place of the picture; showVideo() brings it back.
    void showMessage(const QString& text);
    void showVideo();
    QString message() const;  // empty while the picture shows
    bool isFullScreen() const { return fullScreenOn_; }
    // Adds a widget to the bar, after the buttons (the snapshot button, the speed).
    void addToBar(QWidget* widget, int stretch = 0);
    // The position slider and its time, on a row of their own above the buttons:
    // the whole width, however many buttons the bar has.
    void setSeekBar(QWidget* slider, QWidget* time);
    // The mute button and volume slider, for the window to place on the bar.
    class VolumeControl* volume() const { return volume_; }

signals:
    void fullScreenToggled(bool on);
    // A single click (not the first of a double-click) on this channel's picture,
    // numbered as MediaPlayer::setChannelView numbers them.
    void channelClicked(int channel);

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updatePlayButton();  // and the other icons, in the palette's colours
    void showControls(bool shown);

    MediaPlayer* player_;
    QWidget* video_;
    class QLabel* message_;
    class QStackedLayout* stack_;
    QToolButton* play_;
    QToolButton* fullScreen_;
    class VolumeControl* volume_;
    class QHBoxLayout* bar_;
    class QHBoxLayout* seekRow_;
    QWidget* barWidget_;
    class QTimer* hideControls_;
    class QTimer* singleClick_;  // runs out unless the click becomes a double-click
    int clickedChannel_ = -1;
    bool fullScreenOn_ = false;
};
