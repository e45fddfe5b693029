#pragma once
// The video and our own control bar under it: play/pause (also Space) and a
// full-screen toggle (also F, and Esc to leave). No frame stepping.

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
    // Adds a widget to the bar, after the buttons (the position slider, the snapshot button).
    void addToBar(QWidget* widget, int stretch = 0);

signals:
    void fullScreenToggled(bool on);

private:
    void togglePlay();
    void updatePlayButton();

    MediaPlayer* player_;
    QWidget* video_;
    QToolButton* play_;
    QToolButton* fullScreen_;
    class QHBoxLayout* bar_;
    bool fullScreenOn_ = false;
};
