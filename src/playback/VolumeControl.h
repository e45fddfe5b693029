#pragma once
// The control bar's sound: a mute button and a volume slider bound to the player,
// greyed while the recording on screen has no sound.

#include <QWidget>

class MediaPlayer;
class QAction;
class QSlider;
class QToolButton;

class VolumeControl : public QWidget {
    Q_OBJECT
public:
    explicit VolumeControl(MediaPlayer* player, QWidget* parent = nullptr);

    // The window's Mute action, whose key and checked state the button shares.
    void useMuteAction(QAction* mute);
    QSlider* slider() const { return slider_; }
    QToolButton* muteButton() const { return mute_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void showPlayer();  // the player's volume, muting and sound on the controls

    MediaPlayer* player_;
    QToolButton* mute_;
    QSlider* slider_;
    QAction* muteAction_ = nullptr;
};
