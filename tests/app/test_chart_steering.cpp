// Steering from the chart (cursor, click and drag to seek, hover), the speed trace,
// and the clip span's marks.
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QLineSeries>
#include <QListWidget>
#include <QMouseEvent>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QValueAxis>

#include "AppTestSupport.h"
#include "ClipMarking.h"
#include "ChartInteraction.h"
#include "MainMenu.h"
#include "MpvPlayer.h"
#include "VideoPanel.h"
#include "SpanMarks.h"
#include "ViewController.h"

using clips::TimelineMark;

namespace {

// Samples whose readings follow their position: gx i/100, gy -i/100, gz 1, speed 2i km/h.
telemetry::List<telemetry::Class_Subtitle_Info> rampSamples(int n) {
    std::vector<telemetry::Class_Subtitle_Info> samples(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        auto& s = samples[size_t(i)];
        s.gx = std::to_string(i / 100.0), s.gy = std::to_string(-i / 100.0), s.gz = "1.00";
        s.speed = std::to_string(2 * i);
    }
    return samples;
}

void sendMouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(at), to->mapToGlobal(QPointF(at)),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(to, &e);
}

QLineSeries* seriesNamed(QChart* chart, const QString& name) {
    for (QAbstractSeries* s : chart->series())
        if (s->name() == name) return static_cast<QLineSeries*>(s);
    return nullptr;
}

// A chart of a 100 s recording of 50 samples (one every 2 s) in a shown view.
class ChartSteering : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(800, 300);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        graph.setGsensorData(rampSamples(50), 50, 100.0);
        graph.setGsensorGraph(&view, false);
        QCoreApplication::processEvents();
    }
    QRectF plot() const { return view.chart()->mapRectToScene(view.chart()->plotArea()); }
    // The upright line across the plot at a time of the recording.
    QLineF lineAt(double s) const {
        const double x = plot().left() + s / 100.0 * plot().width();
        return {x, plot().top(), x, plot().bottom()};
    }

    QChartView view;
    Draw_Graph graph;
    ChartInteraction steering{&view, &graph};
};

}  // namespace

TEST(ChartTime, NearestSampleAndTheHoverText) {
    EXPECT_EQ(chartXForSeconds(5, 0, 50, 400), 50.0);  // no recording: everything at the start
    EXPECT_EQ(secondsForChartX(50, 0, 50, 400), 0.0);
    // Ten samples two seconds apart.
    for (const auto& [seconds, sample] : {std::pair{0.9, 0u}, {1.1, 1u}, {99.0, 9u}, {-4.0, 0u}})
        EXPECT_EQ(nearestSample(seconds, 2.0, 10), sample) << seconds;
    EXPECT_EQ(nearestSample(3.0, 1.0, 0), 0u);

    auto series = [](std::vector<PlotPoint> p) { return std::make_shared<const std::vector<PlotPoint>>(std::move(p)); };
    const PlotSeries x = series({{0, 0.12f}, {1, -0.5f}}), y = series({{0, 0}, {1, 0.25f}}),
                     z = series({{0, 1}, {1, 0.98f}});
    // Unshifted: the chart draws 0.5 where -0.5 was read.
    EXPECT_EQ(chartHoverText(65.25, x, y, z, 1.0), "65.3 s\nX : -0.50\nY : 0.25\nZ : 0.98");
    EXPECT_EQ(chartHoverText(0.2, nullptr, nullptr, nullptr, 1.0), "0.2 s");
}

TEST(SpanMarks, InAndOutKeepTheirOrder) {
    const TimelineMark at1{0, 5}, at2{0, 12}, nextRow{1, 2};
    const struct {
        std::optional<TimelineMark> in, out;
        bool isIn;
        TimelineMark at;
        bool placed;
    } cases[] = {
        {{}, {}, true, at2, true},      {{}, {}, false, at1, true},      {at1, {}, false, at2, true},
        {at1, {}, false, at1, false},   {{}, at1, true, at1, false},  // an empty span
        {at2, {}, false, at1, false},   // Out before In
        {{}, at1, true, at2, false},    // In after Out
        {{}, nextRow, true, at2, true},  // an earlier row, later in its own recording
        {at2, {}, false, nextRow, true}, {at1, at2, true, TimelineMark{0, 8}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.at.row << " " << c.at.seconds << (c.isIn ? " in" : " out"));
        auto in = c.in, out = c.out;
        EXPECT_EQ(clips::placeMark(in, out, c.isIn, c.at), c.placed);
        const std::optional at = c.at;
        const auto expected = !c.placed ? std::pair(c.in, c.out)
                              : c.isIn  ? std::pair(at, c.out)
                                        : std::pair(c.in, at);
        EXPECT_EQ(std::pair(in, out), expected);
    }
}

TEST(SpanMarks, AnEventProposesTenSecondsBeforeToFiveAfter) {
    const struct {
        double seconds;
        std::optional<double> previous, next;
        TimelineMark in, out;
    } cases[] = {
        {30, {}, {}, {3, 20}, {3, 35}},
        {4, {}, {}, {3, 0}, {3, 9}},         // cut at the start
        {4, 60.0, {}, {2, 54}, {3, 9}},      // into the trip's recording before
        {4, 3.0, {}, {2, 0}, {3, 9}},        // which is shorter than the rest
        {58, {}, {}, {3, 48}, {3, 60}},      // cut at the end
        {58, {}, 30.0, {3, 48}, {4, 3}},     // into the trip's next recording
        {58, {}, 1.0, {3, 48}, {4, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(clips::eventSpan(3, c.seconds, 60, c.previous, c.next), std::pair(c.in, c.out)) << c.seconds;
}

TEST(SpanMarks, ThePartOfTheSpanInOneRecording) {
    using R = clips::RowMarks;
    using P = std::pair<double, double>;
    const std::optional<TimelineMark> none;
    const struct {
        std::optional<TimelineMark> in, out;
        R expected;
    } cases[] = {
        {none, none, R{}},
        {TimelineMark{2, 5}, none, R{5.0, {}, {}}},
        {none, TimelineMark{2, 9}, R{{}, 9.0, {}}},
        {TimelineMark{2, 5}, TimelineMark{2, 9}, R{5.0, 9.0, P{5, 9}}},
        {TimelineMark{1, 5}, TimelineMark{3, 9}, R{{}, {}, P{0, 60}}},  // through the whole recording
        {TimelineMark{1, 5}, TimelineMark{2, 9}, R{{}, 9.0, P{0, 9}}},
        {TimelineMark{2, 5}, TimelineMark{4, 9}, R{5.0, {}, P{5, 60}}},
        {TimelineMark{3, 5}, TimelineMark{4, 9}, R{}},  // a later recording's
        {TimelineMark{0, 5}, TimelineMark{1, 9}, R{}},
    };
    for (const auto& c : cases) EXPECT_EQ(clips::marksInRow(c.in, c.out, 2, 60.0), c.expected) << &c - cases;
}

TEST_F(ChartSteering, CursorAndSpanFollowTheTimeAndTheSize) {
    EXPECT_FALSE(steering.cursorItem()->isVisible());  // nothing played yet
    steering.setCursorSeconds(140.0);
    EXPECT_TRUE(steering.cursorItem()->isVisible());
    EXPECT_EQ(steering.cursorItem()->line(), lineAt(100.0));
    steering.setCursorSeconds(50.0);
    steering.setMarks(20.0, 60.0, std::pair{20.0, 60.0});
    view.resize(500, 260);
    QCoreApplication::processEvents();
    EXPECT_EQ(steering.cursorItem()->line(), lineAt(50.0));
    EXPECT_EQ(steering.spanItem()->rect(), QRectF(lineAt(20.0).p1(), lineAt(60.0).p2()));

    // Building the same recording's chart again keeps the cursor; another's hides it.
    graph.rebuild(&view);
    EXPECT_EQ(steering.cursorSeconds(), 50.0);
    EXPECT_TRUE(steering.cursorItem()->isVisible());
    graph.setGsensorData(rampSamples(10), 10, 10.0);
    graph.setGsensorGraph(&view, false);
    EXPECT_FALSE(steering.cursorItem()->isVisible());
    graph.setGsensorGraph(&view, true);
    steering.setCursorSeconds(3.0);
    EXPECT_FALSE(steering.cursorItem()->isVisible());  // an empty chart has no time to show
    EXPECT_FALSE(steering.spanItem()->isVisible());
    EXPECT_FALSE(steering.viewportPointFor(3.0));

    // On a dark theme the cursor is drawn in its text colour, not black on black.
    QPalette dark = view.palette();
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(235, 235, 235));
    view.setPalette(dark);
    graph.setGsensorGraph(&view, false);
    EXPECT_EQ(steering.cursorItem()->pen().color(), QColor(235, 235, 235));
}

// A narrow chart labels fewer times, never so many that they are cut to "...".
TEST_F(ChartSteering, TimeLabelsAsManyAsTheWidthHolds) {
    const auto labelGap = [&] {
        auto* time = static_cast<QValueAxis*>(view.chart()->axes(Qt::Horizontal).value(0));
        return time->tickInterval() / 100.0 * view.chart()->plotArea().width();
    };
    for (const int width : {800, 300, 200}) {
        view.resize(width, 300);
        QCoreApplication::processEvents();
        EXPECT_GE(labelGap(), 40.0) << width;
        EXPECT_LE(labelGap(), 200.0) << width;  // and still a few
    }
}

TEST_F(ChartSteering, ClickDragAndHover) {
    QSignalSpy seeks(&steering, &ChartInteraction::seekRequested);
    QWidget* viewport = view.viewport();
    const QPoint at30 = *steering.viewportPointFor(30.0);
    sendMouse(viewport, QEvent::MouseButtonPress, at30, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseButtonRelease, at30, Qt::NoButton);
    EXPECT_FALSE(steering.cursorItem()->isVisible());  // nothing plays: the seek is only asked for
    steering.setCursorSeconds(0.0);
    sendMouse(viewport, QEvent::MouseButtonPress, at30, Qt::LeftButton);
    ASSERT_EQ(seeks.size(), 2);
    const double pixel = 100.0 / plot().width();
    EXPECT_NEAR(seeks.last().at(0).toDouble(), 30.0, pixel);
    EXPECT_NEAR(*steering.cursorSeconds(), 30.0, pixel);  // at once, before the player answers
    // Dragged on, and past the end of the plot.
    sendMouse(viewport, QEvent::MouseMove, *steering.viewportPointFor(70.0), Qt::LeftButton);
    EXPECT_NEAR(seeks.last().at(0).toDouble(), 70.0, pixel);
    sendMouse(viewport, QEvent::MouseMove, QPoint(viewport->width() - 1, at30.y()), Qt::LeftButton);
    EXPECT_EQ(seeks.last().at(0).toDouble(), 100.0);
    sendMouse(viewport, QEvent::MouseMove, QPoint(0, at30.y()), Qt::LeftButton);
    EXPECT_EQ(seeks.last().at(0).toDouble(), 0.0);
    sendMouse(viewport, QEvent::MouseButtonRelease, at30, Qt::NoButton);
    const qsizetype afterDrag = seeks.size();

    // Hovering seeks nothing and tells the time and the readings, for as long as
    // the pointer rests there, whatever else the window does meanwhile.
    sendMouse(viewport, QEvent::MouseMove, *steering.viewportPointFor(40.0), Qt::NoButton);
    steering.setCursorSeconds(12.0);
    QTest::qWait(200);
    const QString tip = steering.readout();
    EXPECT_TRUE(tip.startsWith("40.") || tip.startsWith("39.")) << tip.toStdString();
    EXPECT_TRUE(tip.endsWith("X : 0.20\nY : -0.20\nZ : 1.00")) << tip.toStdString();
    EXPECT_EQ(seeks.size(), afterDrag);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(viewport, &leave);
    EXPECT_EQ(steering.readout(), QString());
    // A press above the plot (on the legend) is not a seek.
    sendMouse(viewport, QEvent::MouseButtonPress, QPoint(at30.x(), 2), Qt::LeftButton);
    EXPECT_EQ(seeks.size(), afterDrag);
}

// Under a dark theme the chart's texts, grid and page and the control bar's icons
// take the palette's colours: black on near-black reads as nothing.
TEST(ChartSteeringPalette, TextsGridAndIconsFollowADarkPalette) {
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(50, 50, 50));
    QChartView view;
    view.setPalette(dark);
    view.resize(600, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    Draw_Graph graph;
    graph.setGsensorData(rampSamples(50), 50, 100.0);
    graph.setGsensorGraph(&view, false);
    QCoreApplication::processEvents();
    for (QAbstractAxis* axis : view.chart()->axes())
        EXPECT_EQ(std::pair(axis->labelsBrush().color().name(), axis->titleBrush().color().name()),
                  std::pair(dark.color(QPalette::Text).name(), dark.color(QPalette::Text).name()))
            << axis->titleText().toStdString();
    // The page inside the plot, sampled between the lines.
    const QImage shown = view.grab().toImage();
    const QRectF plot = view.chart()->mapRectToScene(view.chart()->plotArea());
    const QPoint inside = view.mapFromScene(plot.topLeft() + QPointF(3, 3));
    EXPECT_LT(qGray(shown.pixel(inside)), 100);

    MpvPlayer player{MpvPlayer::Output::None};
    VideoPanel panel{&player, new QWidget};  // which takes the picture
    panel.setPalette(dark);
    int buttons = 0;
    for (const QToolButton* button : panel.findChildren<QToolButton*>()) {
        // The icon's drawn pixels are the palette's light text, not the stock black.
        const QImage icon = button->icon().pixmap(16).toImage();
        int lit = 0, drawn = 0;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                if (qAlpha(icon.pixel(x, y)) > 200) ++drawn, lit += qGray(icon.pixel(x, y)) > 180;
        EXPECT_GT(drawn, 0) << button->toolTip().toStdString();
        EXPECT_EQ(lit, drawn) << button->toolTip().toStdString();
        ++buttons;
    }
    EXPECT_EQ(buttons, 3);  // play, full screen, mute
}

// A drive cut into two 20 s recordings of one trip, hard braking 2 s into the second:
// its event proposes a span across the trip; the speed trace follows the menu, in the unit.
TEST(ChartWindow, EventSpanAcrossTheTripAndTheSpeedTraceOfTheMenu) {
    QTemporaryDir tmp;
    testgen::DriveOptions drive;
    drive.startSpeedKmh = 60, drive.speedNoise = drive.turnNoise = 0;
    drive.incidents = {{testgen::Incident::Braking, 22}};
    const auto cut = testgen::cutDrive(drive, {20, 20}, 0);
    for (size_t i = 0; i < cut.size(); ++i)
        makeRecordingOf(QDir(tmp.path()).filePath(QStringLiteral("REC_000%1.MP4").arg(i + 1)).toStdString(), cut[i]);
    ViewController w{MpvPlayer::Output::None};
    ASSERT_TRUE(openIndexed(w, {tmp.path()}));
    ASSERT_EQ(eventsList(w).count(), 1);
    QListWidgetItem* event = eventsList(w).item(0);
    ASSERT_EQ(event->data(Qt::UserRole).toInt(), 1);
    const double at = event->data(Qt::UserRole + 1).toDouble();
    ASSERT_LT(at, 10.0);
    clickEvent(w, 0);
    EXPECT_EQ(std::pair(w.marking().in(), w.marking().out()), std::pair(std::optional(TimelineMark{0, 20 + at - 10}),
                                                        std::optional(TimelineMark{1, at + 5})));
    w.mainMenu().clearMarks->trigger();
    EXPECT_FALSE(w.marking().in() || w.marking().out());
    clickEvent(w, 0);

    w.playTheVideo(0);
    EXPECT_EQ(seriesNamed(chartView(w).chart(), "Speed"), nullptr);
    const auto gAxis = [&] {
        auto* g = static_cast<QValueAxis*>(chartView(w).chart()->axes(Qt::Vertical).value(0));
        return std::tuple(g->alignment(), g->min(), g->max());
    };
    const auto gBefore = gAxis();
    const double kmh = samplesInFile(QDir(tmp.path()).filePath("REC_0001.MP4")).at(5).speedKmh.value();
    for (const auto& [unit, perKmh, title] : {std::tuple{1, 1.0, "Speed (km/h)"}, {0, 1 / 1.609344, "Speed (mph)"}}) {
        QSettings().setValue("PresetSpeedUnit", unit);
        w.SettingViewClosed();
        w.mainMenu().speedTrace->trigger();
        QLineSeries* speed = seriesNamed(chartView(w).chart(), "Speed");
        ASSERT_NE(speed, nullptr);
        // On an axis of its own at the right, which takes the fastest sample; the G axes stay.
        auto* axis = qobject_cast<QValueAxis*>(speed->attachedAxes().value(1));
        ASSERT_NE(axis, nullptr);
        EXPECT_EQ(std::tuple(axis->titleText(), axis->alignment(), gAxis()),
                  std::tuple(QString(title), Qt::AlignRight, gBefore));
        EXPECT_NEAR(speed->at(5).y(), kmh * perKmh, 1e-3);
        EXPECT_GE(axis->max(), kmh * perKmh);
        w.mainMenu().speedTrace->trigger();
        EXPECT_EQ(seriesNamed(chartView(w).chart(), "Speed"), nullptr);
    }
    // Clear List forgets the marks and the listed event; the cleared window's chart stays empty.
    w.mainMenu().clearList->trigger();
    EXPECT_FALSE(w.marking().in() || w.marking().out());
    EXPECT_EQ(eventsList(w).count(), 0);
    EXPECT_TRUE(chartView(w).chart()->series().isEmpty());
    w.mainMenu().speedTrace->trigger();
    EXPECT_TRUE(chartView(w).chart()->series().isEmpty());
}
