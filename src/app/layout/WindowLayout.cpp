#include "WindowLayout.h"

#include <QChartView>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "FileTableModel.h"
#include "FileTableView.h"
#include "MainMenu.h"
#include "MapWidget.h"
#include "MarkedSlider.h"
#include "MediaPlayer.h"
#include "PlaybackSpeed.h"
#include "PlaybackTick.h"
#include "StatisticsForm.h"
#include "TextValues.h"
#include "TransportIcons.h"
#include "VideoPanel.h"
#include "VolumeControl.h"

namespace {

QLabel* telemetryLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont f = label->font();
    f.setStyleHint(QFont::Monospace);
    f.setFamily(QStringLiteral("monospace"));
    label->setFont(f);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A click on the slider's groove goes to the clicked place, not a page toward it.
class ClickToSeekStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* data) const override {
        if (hint == QStyle::SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
        if (hint == QStyle::SH_Slider_PageSetButtons) return Qt::NoButton;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

QSplitter* splitter(Qt::Orientation orientation, QWidget* first, QWidget* second, QWidget* parent) {
    auto* s = new QSplitter(orientation, parent);
    s->addWidget(first);
    s->addWidget(second);
    s->setChildrenCollapsible(false);
    return s;
}

}  // namespace

WindowLayout::WindowLayout(QMainWindow* window, MediaPlayer* player, QWidget* picture, MainMenu& menu, MapWidget* mapView,
                           QAbstractItemModel* rows)
    : map(mapView), window_(window) {
    window->setWindowTitle(QStringLiteral("dashcam-viewer"));
    window->resize(1280, 800);
    list_ = buildList(window, rows);
    if (!picture) {
        auto* none = new QLabel(tr("No video output"), window);
        none->setAlignment(Qt::AlignCenter);
        none->setStyleSheet(QStringLiteral("background: black; color: #aaa;"));
        none->setMinimumSize(160, 120);
        picture = none;
    }
    video = new VideoPanel(player, picture, window);
    buildControlBar(player, menu);
    map->setObjectName(QStringLiteral("map"));
    map->setMinimumWidth(200);
    below_ = buildTelemetry(window);

    // The map beside the video with as much room, the chart and the numbers under both;
    // the stretch keeps those shares as the window grows or shrinks.
    auto* top = splitter(Qt::Horizontal, video, map, window);
    top->setStretchFactor(0, 1);
    top->setStretchFactor(1, 1);
    top->setSizes({460, 440});
    auto* right = splitter(Qt::Vertical, top, below_, window);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 1);
    right->setSizes({520, 220});
    auto* main = splitter(Qt::Horizontal, list_, right, window);
    main->setStretchFactor(0, 1);
    main->setStretchFactor(1, 3);
    main->setSizes({380, 900});
    window->setCentralWidget(main);
    window->statusBar();
}

QWidget* WindowLayout::buildList(QWidget* parent, QAbstractItemModel* rows) {
    auto* list = new QWidget(parent);
    auto* layout = new QVBoxLayout(list);
    layout->setContentsMargins(6, 6, 0, 6);
    auto* buttons = new QHBoxLayout;
    openButton = new QPushButton(tr("Open…"), list);
    openButton->setToolTip(tr("Open a folder of recordings, or recordings (Ctrl+O)"));
    settingsButton = new QPushButton(tr("Settings…"), list);
    buttons->addWidget(openButton);
    buttons->addWidget(settingsButton);
    buttons->addStretch();
    layout->addLayout(buttons);
    table = new FileTableView(list);
    table->setObjectName(QStringLiteral("recordings"));
    // A camera's names differ at their end ("REC_0001" to "REC_0417"): keep both ends.
    table->setTextElideMode(Qt::ElideMiddle);
    table->setModel(rows);
    table->fixColumnWidths({QStringLiteral("000:00"), QStringLiteral("0000/00/00"), QStringLiteral("00 00:00 · 00:00"),
                            QStringLiteral("⚠"), QStringLiteral("F R I")});
    // The name first and wide enough for a camera's date-and-time names: sharing the room the
    // fixed columns leave with the folder's, both read "2024…". Wider than that, the table scrolls.
    QHeaderView* header = table->horizontalHeader();
    header->setSectionResizeMode(FileTableModel::File, QHeaderView::Interactive);
    header->resizeSection(FileTableModel::File, table->fontMetrics().horizontalAdvance(QStringLiteral("20240612_101500_0001F.MP4")) + 12);
    header->setSectionResizeMode(FileTableModel::Folder, QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);
    layout->addWidget(table, 1);
    events = new QListWidget(list);
    events->setObjectName(QStringLiteral("eventsList"));
    events->setMaximumHeight(110);
    events->setUniformItemSizes(true);  // one line each: no need to measure every item
    events->setTextElideMode(Qt::ElideMiddle);
    events->setToolTip(tr("Events: a click plays from 5 s before"));
    layout->addWidget(events);
    auto* progressRow = new QHBoxLayout;
    progress = new QProgressBar(list);
    progress->setObjectName(QStringLiteral("indexingProgress"));
    progress->setTextVisible(false);
    progressText = new QLabel(list);
    progressText->setObjectName(QStringLiteral("indexingCount"));
    progressText->setMinimumWidth(60);
    progressText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    progressRow->addWidget(progress, 1);
    progressRow->addWidget(progressText);
    layout->addLayout(progressRow);
    return list;
}

void WindowLayout::buildControlBar(MediaPlayer* player, MainMenu& menu) {
    slider = new MarkedSlider(Qt::Horizontal, video);
    slider->setObjectName(QStringLiteral("position"));
    slider->setRange(0, 0);
    slider->setMinimumWidth(200);
    slider->setToolTip(tr("Position (Left/Right: 5 s, Page Up/Down: 30 s, Home/End)"));
    auto* sliderStyle = new ClickToSeekStyle;
    sliderStyle->setParent(slider);
    slider->setStyle(sliderStyle);
    slider->setSingleStep(5000);
    slider->setPageStep(30000);
    position = new QLabel(positionText(0, 0), video);
    position->setObjectName(QStringLiteral("positionText"));
    position->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const auto showPosition = [this] { position->setText(positionText(slider->value(), slider->maximum())); };
    QObject::connect(slider, &QSlider::valueChanged, position, showPosition);
    QObject::connect(slider, &QSlider::rangeChanged, position, showPosition);
    snapshotButton = new QPushButton(tr("Snapshot"), video);
    snapshotButton->setToolTip(tr("Save the frame on screen as a PNG in the snapshot folder"));
    for (QAction* a : {menu.stepBack, menu.stepForward, menu.previous, menu.next}) {
        auto* button = new QToolButton(video);
        button->setDefaultAction(a);
        button->setAutoRaise(true);
        video->addToBar(button);
    }
    const QColor ink = window_->palette().color(QPalette::ButtonText);
    menu.stepBack->setIcon(transportIcon(TransportIcon::StepBack, ink));
    menu.stepForward->setIcon(transportIcon(TransportIcon::StepForward, ink));
    menu.previous->setIcon(transportIcon(TransportIcon::Previous, ink));
    menu.next->setIcon(transportIcon(TransportIcon::Next, ink));
    rate = new QLabel(speedText(player->speed()), video);
    rate->setObjectName(QStringLiteral("speed"));
    rate->setToolTip(tr("Playback speed ([ slower, ] faster, Backspace resets)"));
    video->setSeekBar(slider, position);
    video->addToBar(rate);
    menu.markIn->setIconText(tr("In"));
    menu.markOut->setIconText(tr("Out"));
    for (QAction* a : {menu.markIn, menu.markOut}) {
        auto* button = new QToolButton(video);
        button->setDefaultAction(a);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setToolTip(tr("%1 (%2): the clip span").arg(a->text().remove(QLatin1Char('&')), a->shortcut().toString()));
        button->setAutoRaise(true);
        video->addToBar(button);
    }
    video->addToBar(new QWidget(video), 1);  // the sound at the right end, as players have it
    video->addToBar(snapshotButton);
    video->volume()->useMuteAction(menu.mute);
    video->addToBar(video->volume());
}

QWidget* WindowLayout::buildTelemetry(QWidget* parent) {
    auto* numbers = new QWidget(parent);
    auto* layout = new QVBoxLayout(numbers);
    gx = telemetryLabel("gx", numbers);
    gy = telemetryLabel("gy", numbers);
    gz = telemetryLabel("gz", numbers);
    speed = telemetryLabel("sampleSpeed", numbers);
    date = telemetryLabel("sampleDate", numbers);
    clearTickTexts();
    for (QLabel* l : {gx, gy, gz, speed, date}) layout->addWidget(l);
    statistics = new StatisticsForm(numbers);
    statistics->setObjectName(QStringLiteral("statistics"));
    layout->addSpacing(6);
    layout->addWidget(statistics);
    layout->addStretch();
    chart = new QChartView(parent);
    chart->setRenderHint(QPainter::Antialiasing);
    chart->setMinimumHeight(160);
    auto* below = splitter(Qt::Horizontal, numbers, chart, parent);
    below->setStretchFactor(1, 1);
    below->setSizes({300, 640});
    return below;
}

void WindowLayout::showTickTexts(const TickTexts& texts) {
    gx->setText(texts.gx);
    gy->setText(texts.gy);
    gz->setText(texts.gz);
    speed->setText(texts.speed);
    date->setText(texts.date);
}

void WindowLayout::clearTickTexts() {
    gx->setText(QStringLiteral("X : -"));
    gy->setText(QStringLiteral("Y : -"));
    gz->setText(QStringLiteral("Z : -"));
    speed->setText(QStringLiteral("SPEED : -"));
    date->setText(QStringLiteral("DATE: -"));
}

void WindowLayout::setProgressRange(double minimum, double maximum) {
    // An empty range would make the bar Qt's busy indicator, animating for ever.
    if (maximum <= minimum) {
        progress->setRange(0, 1);
        progress->setValue(0);
        return;
    }
    progress->setRange(int(minimum), int(maximum));
}

void WindowLayout::setProgress(double value, const QString& text) {
    progress->setValue(int(value));
    progressText->setText(text);
}

void WindowLayout::resetProgress() {
    setProgressRange(0.0, 100.0);
    setProgress(0, QString());
}

void WindowLayout::showVideoAlone(bool alone) {
    for (QWidget* w : {list_, below_, static_cast<QWidget*>(map), static_cast<QWidget*>(window_->menuBar()),
                       static_cast<QWidget*>(window_->statusBar())})
        w->setVisible(!alone);
    alone ? window_->showFullScreen() : window_->showNormal();
}
