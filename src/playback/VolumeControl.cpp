#include "VolumeControl.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include "MediaPlayer.h"
#include "TransportIcons.h"

VolumeControl::VolumeControl(MediaPlayer* player, QWidget* parent) : QWidget(parent), player_(player) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    mute_ = new QToolButton(this);
    mute_->setObjectName(QStringLiteral("muteButton"));
    mute_->setAutoRaise(true);
    mute_->setCheckable(true);
    mute_->setAccessibleName(tr("Mute"));
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("volumeSlider"));
    slider_->setRange(0, 100);
    slider_->setSingleStep(5);
    slider_->setPageStep(10);
    slider_->setFixedWidth(80);
    slider_->setAccessibleName(tr("Volume"));
    slider_->setToolTip(tr("Volume"));
    layout->addWidget(mute_);
    layout->addWidget(slider_);

    connect(slider_, &QSlider::valueChanged, player_, &MediaPlayer::setVolume);
    connect(mute_, &QToolButton::toggled, this, [this](bool on) {
        if (!muteAction_) player_->setMuted(on);
    });
    connect(player_, &MediaPlayer::volumeChanged, this, &VolumeControl::showPlayer);
    connect(player_, &MediaPlayer::opened, this, &VolumeControl::showPlayer);
    showPlayer();
}

void VolumeControl::useMuteAction(QAction* mute) {
    muteAction_ = mute;
    mute_->setDefaultAction(mute);
    showPlayer();
}

void VolumeControl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) showPlayer();
    QWidget::changeEvent(event);
}

void VolumeControl::showPlayer() {
    const bool muted = player_->isMuted();
    {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(player_->volume());
    }
    if (muteAction_ && muteAction_->isChecked() != muted) muteAction_->setChecked(muted);
    else if (!muteAction_) {
        const QSignalBlocker quiet(mute_);
        mute_->setChecked(muted);
    }
    const QIcon icon = transportIcon(muted ? TransportIcon::Muted : TransportIcon::Volume, palette().color(QPalette::ButtonText));
    QString tip = muted ? tr("Sound off") : tr("Sound on");
    if (muteAction_ && !muteAction_->shortcut().isEmpty())
        tip += QStringLiteral(" (%1)").arg(muteAction_->shortcut().toString(QKeySequence::NativeText));
    if (muteAction_) {
        muteAction_->setIcon(icon);
        muteAction_->setToolTip(tip);
    } else {
        mute_->setIcon(icon);
        mute_->setToolTip(tip);
    }
    // Nothing to hear: a silent recording, or none open.
    const bool sound = player_->hasAudio();
    mute_->setEnabled(sound);
    slider_->setEnabled(sound);
}
