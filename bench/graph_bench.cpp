// The G-sensor chart of a long recording: set-up (series preparation and chart
// build, as at every opening) and redraw (the chart painted into an image the size
// of the window's chart), median of repeated runs, without a display. Times are
// the process's CPU time, which a busy machine inflates less than the wall clock.
//
//   graph_bench [samples] [runs]

#include <QApplication>
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

#include "Class_Subtitle_Info.h"
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
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int samples = argc > 1 ? std::atoi(argv[1]) : 36000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;

    // A ten-hour drive at one sample a second: a slow wave with a pothole now and then.
    std::vector<telemetry::Class_Subtitle_Info> list(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        auto& s = list[size_t(i)];
        const double wave = 0.3 * std::sin(i / 50.0);
        s.gx = std::to_string(wave + (i % 997 == 0 ? 1.8 : 0.0)).substr(0, 5);
        s.gy = std::to_string(-wave / 2).substr(0, 5);
        s.gz = std::to_string(1.0 + wave / 4).substr(0, 5);
    }
    const telemetry::List<telemetry::Class_Subtitle_Info> table(std::move(list));

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
    return 0;
}
