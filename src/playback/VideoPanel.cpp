#include "VideoPanel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QLabel>
#include <QStackedLayout>
#include <QEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "MediaPlayer.h"
#include "MpvVideoWidget.h"
#include "TransportIcons.h"
#include "VolumeControl.h"

VideoPanel::VideoPanel(MediaPlayer* player, QWidget* video, QWidget* parent)
    : QWidget(parent), player_(player), video_(video) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    // Swapped, not laid over: the video is a native window, which no plain widget
    // can cover.
    auto* area = new QWidget(this);
    stack_ = new QStackedLayout(area);
    stack_->addWidget(video_);
    message_ = new QLabel(area);
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    message_->setAutoFillBackground(true);
    message_->setStyleSheet(QStringLiteral("background: #202020; color: #e0e0e0; font-size: 16pt;"));
    stack_->addWidget(message_);
    layout->addWidget(area, 1);
    barWidget_ = new QWidget(this);
    barWidget_->setObjectName(QStringLiteral("controlBar"));
    auto* rows = new QVBoxLayout(barWidget_);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    seekRow_ = new QHBoxLayout;
    bar_ = new QHBoxLayout;
    rows->addLayout(seekRow_);
    rows->addLayout(bar_);
    play_ = new QToolButton(this);
    play_->setToolTip(tr("Play or pause (Space)"));
    play_->setAutoRaise(true);
    play_->setAccessibleName(tr("Play/Pause"));
    fullScreen_ = new QToolButton(this);
    fullScreen_->setToolTip(tr("Full screen (F; Esc leaves it)"));
    fullScreen_->setAutoRaise(true);
    fullScreen_->setAccessibleName(tr("Full Screen"));
    fullScreen_->setCheckable(true);
    fullScreen_->hide();
    volume_ = new VolumeControl(player_, this);
    bar_->addWidget(play_);
    bar_->addWidget(fullScreen_);
    layout->addWidget(barWidget_);
    hideControls_ = new QTimer(this);
    hideControls_->setSingleShot(true);
    hideControls_->setInterval(2500);
    connect(hideControls_, &QTimer::timeout, this, [this] {
        if (fullScreenOn_) showControls(false);
    });
    singleClick_ = new QTimer(this);
    singleClick_->setSingleShot(true);
    connect(singleClick_, &QTimer::timeout, this, [this] { emit channelClicked(clickedChannel_); });
    // The pointer over the picture reaches the widgets holding the video's own
    // window (which takes no input), and climbs to the picture from them.
    video_->installEventFilter(this);
    for (QWidget* w : video_->findChildren<QWidget*>()) w->setMouseTracking(true);
    video_->setMouseTracking(true);

    connect(play_, &QToolButton::clicked, this, &VideoPanel::togglePlay);
    connect(fullScreen_, &QToolButton::toggled, this, [this](bool on) {
        fullScreenOn_ = on;
        emit fullScreenToggled(on);
        showControls(true);
        if (on) hideControls_->start();
        else hideControls_->stop();
    });
    connect(player_, &MediaPlayer::playingChanged, this, &VideoPanel::updatePlayButton);
    updatePlayButton();
}

void VideoPanel::toggleFullScreen() {
    // Hidden as the button is while the bar is: the button's own state says whether a recording is open.
    if (!fullScreen_->isHidden()) fullScreen_->toggle();
}

bool VideoPanel::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (const auto* click = static_cast<QMouseEvent*>(event); click->button() == Qt::LeftButton) {
            clickedChannel_ = player_->channelAt(click->position(), video_->size());
            // Told only once no second click has come: a double-click is the full screen's alone.
            if (clickedChannel_ >= 0) singleClick_->start(QApplication::doubleClickInterval());
        }
        break;
    case QEvent::MouseButtonDblClick:
        singleClick_->stop();
        toggleFullScreen();
        return true;
    case QEvent::MouseMove:
        if (fullScreenOn_) {
            showControls(true);
            hideControls_->start();
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void VideoPanel::showControls(bool shown) {
    barWidget_->setVisible(shown);
    const QCursor cursor = shown ? QCursor(Qt::ArrowCursor) : QCursor(Qt::BlankCursor);
    video_->setCursor(cursor);
    if (auto* mpv = qobject_cast<MpvVideoWidget*>(video_)) mpv->surface()->setCursor(cursor);
}

void VideoPanel::leaveFullScreen() {
    if (fullScreenOn_) fullScreen_->setChecked(false);
}

void VideoPanel::setFullScreenButtonVisible(bool visible) { fullScreen_->setVisible(visible); }

void VideoPanel::showMessage(const QString& text) {
    message_->setText(text);
    stack_->setCurrentWidget(message_);
}

void VideoPanel::showVideo() {
    stack_->setCurrentWidget(video_);
    message_->clear();
}

QString VideoPanel::message() const { return stack_->currentWidget() == message_ ? message_->text() : QString(); }

void VideoPanel::addToBar(QWidget* widget, int stretch) { bar_->addWidget(widget, stretch); }

void VideoPanel::setSeekBar(QWidget* slider, QWidget* time) {
    seekRow_->addWidget(slider, 1);
    seekRow_->addWidget(time);
}

void VideoPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) updatePlayButton();
    QWidget::changeEvent(event);
}

void VideoPanel::togglePlay() {
    if (!player_->isOpen()) return;
    player_->isPlaying() ? player_->pause() : player_->play();
}

void VideoPanel::updatePlayButton() {
    const bool playing = player_->isPlaying();
    play_->setIcon(transportIcon(playing ? TransportIcon::Pause : TransportIcon::Play, palette().color(QPalette::ButtonText)));
    play_->setToolTip(playing ? tr("Pause (Space)") : tr("Play (Space)"));
    fullScreen_->setIcon(transportIcon(TransportIcon::FullScreen, palette().color(QPalette::ButtonText)));
}
