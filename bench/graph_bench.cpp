// The G-sensor chart of a long recording: set-up (series preparation and chart
// build, as at every opening) and redraw (the chart painted into an image the size
// of the window's chart), median of repeated runs, without a display. Then the
// playback cursor moving over a one-hour chart (3600 samples), tick by tick: the
// cursor moved a second on and the view's changed part painted, and the same with
// the whole view repainted. Times are the process's CPU time, which a busy machine
// inflates less than the wall clock.
//
//   graph_bench [samples] [runs] [ticks]

#include <QApplication>
#include <QElapsedTimer>
#include <QChart>
#include <QChartView>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "BenchArgs.h"
#include "Class_Subtitle_Info.h"
#include "ChartInteraction.h"
#include "Draw_Graph.h"

namespace {
// A stopwatch on the process's CPU time.
class CpuTimer {
public:
    void start() { start_ = now(); }
    void restart() { start_ = now(); }
    qint64 nsecsElapsed() const { return now() - start_; }

private:
    static qint64 now() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    qint64 start_ = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A drive at one sample a second: a slow wave with a pothole now and then.
telemetry::List<telemetry::Class_Subtitle_Info> drive(int samples) {
    std::vector<telemetry::Class_Subtitle_Info> list(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        auto& s = list[size_t(i)];
        const double wave = 0.3 * std::sin(i / 50.0);
        s.gx = std::to_string(wave + (i % 997 == 0 ? 1.8 : 0.0)).substr(0, 5);
        s.gy = std::to_string(-wave / 2).substr(0, 5);
        s.gz = std::to_string(1.0 + wave / 4).substr(0, 5);
        s.speed = std::to_string(50 + int(20 * wave));
    }
    return telemetry::List<telemetry::Class_Subtitle_Info>(std::move(list));
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// The cursor moved one second on per tick over a one-hour chart in a shown view.
void cursorTicks(int ticks, bool speedTrace) {
    const int samples = 3600;
    QChartView view;
    view.resize(1000, 300);
    view.setRenderHint(QPainter::Antialiasing);
    view.show();
    QCoreApplication::processEvents();
    Draw_Graph graph;
    ChartInteraction steering(&view, &graph);
    graph.setSpeedTrace({speedTrace});
    graph.setGsensorData(drive(samples), uint32_t(samples), double(samples));
    graph.setGsensorGraph(&view, false);
    PaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();

    std::vector<double> partial, whole;
    QElapsedTimer wall;
    wall.start();
    for (int tick = 0; tick < ticks; ++tick) {
        CpuTimer t;
        t.start();
        const int before = counter.paints;
        steering.setCursorSeconds(double(tick % samples));
        // As the event loop does it: the scene reports the change, the view paints it.
        while (counter.paints == before) QCoreApplication::processEvents();
        partial.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const double wallPerTick = double(wall.elapsed()) / ticks;
    for (int tick = 0; tick < ticks; ++tick) {
        CpuTimer t;
        t.start();
        steering.setCursorSeconds(double(tick % samples) + 0.5);
        view.viewport()->repaint();
        whole.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(partial.begin(), partial.end());
    std::printf("cursor over %d samples%s, chart %dx%d, %d ticks:\n", samples, speedTrace ? " with the speed trace" : "",
                view.width(), view.height(), ticks);
    std::printf("  tick, changed part painted      %8.2f ms median, %.2f ms 95th percentile (%.2f ms wall per tick)\n",
                median(partial), partial[partial.size() * 95 / 100], wallPerTick);
    std::printf("  tick, whole view repainted      %8.2f ms median\n", median(whole));
}
}  // namespace

int main(int argc, char** argv) {
    if (printedHelp(argc, argv,
                    "usage: graph_bench [samples [runs [ticks]]]\n"
                    "  the chart of SAMPLES (36000) built and painted RUNS (15) times, then TICKS (300)\n"
                    "  cursor moves over a 3600-sample chart; painted into images, no display needed\n"))
        return 0;
    // Painted into images: the platform's composition is not part of the figure.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int samples = argc > 1 ? std::atoi(argv[1]) : 36000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;

    const int ticks = argc > 3 ? std::atoi(argv[3]) : 300;
    const telemetry::List<telemetry::Class_Subtitle_Info> table = drive(samples);

    QChartView view;
    view.resize(1000, 300);  // the chart's place in a 1280 x 800 window
    view.setRenderHint(QPainter::Antialiasing);
    view.show();
    QCoreApplication::processEvents();
    Draw_Graph graph;
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);

    std::vector<double> prepare, build, setUp, redraw;
    for (int r = 0; r < runs; ++r) {
        CpuTimer t;
        t.start();
        graph.setGsensorData(table, uint32_t(samples), double(samples));
        prepare.push_back(double(t.nsecsElapsed()) / 1e6);
        graph.setGsensorGraph(&view, false);
        setUp.push_back(double(t.nsecsElapsed()) / 1e6);
        build.push_back(setUp.back() - prepare.back());
        image.fill(Qt::white);
        t.restart();
        {
            QPainter painter(&image);
            view.render(&painter);
        }
        redraw.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    // The first paint of a new chart lays it out; later paints of the same chart only draw.
    std::vector<double> repaint;
    for (int r = 0; r < runs; ++r) {
        CpuTimer t;
        t.start();
        QPainter painter(&image);
        view.render(&painter);
        repaint.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("%d samples, chart %dx%d, median of %d runs:\n", samples, view.width(), view.height(), runs);
    std::printf("  set-up (series + chart build)   %8.2f ms\n", median(setUp));
    std::printf("    series preparation            %8.2f ms\n", median(prepare));
    std::printf("    chart build                   %8.2f ms\n", median(build));
    std::printf("  first paint of the new chart    %8.2f ms\n", median(redraw));
    std::printf("  repaint of the same chart       %8.2f ms\n", median(repaint));
    cursorTicks(ticks, false);
    cursorTicks(ticks, true);
    return 0;
}
