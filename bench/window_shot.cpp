// The window as a user sees it, saved as a PNG: a folder opened, its first row
// playing for a moment, the X server's picture of the screen taken. With --dark, under
// Qt's Fusion style with a dark palette, to see that nothing is drawn in fixed colours.
//
//   xvfb-run -a -s "-screen 0 1280x800x24" window_shot --dir DIR --out FILE.png [--dark]
//
// The window fills the screen, so the screen's size is the window's.

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "BenchArgs.h"
#include "FileTableView.h"
#include "RecordingLibrary.h"
#include "ViewController.h"

namespace {

const char* const kUsage = "usage: window_shot --dir DIR --out FILE.png [--dark] [--row N] [--seconds S]\n";

// Fusion's colours for a dark desktop, as a user's theme would give them.
QPalette darkPalette() {
    QPalette p;
    const QColor window(0x2b, 0x2b, 0x2b), base(0x1e, 0x1e, 0x1e), text(0xe6, 0xe6, 0xe6);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x6e, 0xb4));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x7a, 0x7a, 0x7a));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x7a, 0x7a, 0x7a));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x7a, 0x7a, 0x7a));
    return p;
}

// Serves events until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

}  // namespace

int main(int argc, char** argv) {
    if (printedHelp(argc, argv, kUsage)) return 0;
    if (!hasDisplay(kUsage)) return 2;
    QString dir, out;
    bool dark = false;
    int row = 0;
    double seconds = 3;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (!std::strcmp(argv[i], "--dir") && more) dir = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--out") && more) out = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--row") && more) row = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--seconds") && more) seconds = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--dark")) dark = true;
        else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (dir.isEmpty() || out.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    QApplication app(argc, argv);
    if (dark) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
    }
    ViewController w;
    w.setGeometry(QGuiApplication::primaryScreen()->geometry());
    w.show();
    if (!w.openPaths(QStringList{dir}) || !waitFor([&] { return !w.isIndexing() && w.library.isRowIndexed(row); }, 60000)) {
        std::fprintf(stderr, "window_shot: %s was not indexed\n", qPrintable(dir));
        return 1;
    }
    w.tableView->selectRowQuietly(row);  // the row shows chosen, as a click leaves it
    w.playTheVideo(row);
    waitFor([] { return false; }, int(seconds * 1000));
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    if (!shot.save(out, "PNG")) {
        std::fprintf(stderr, "window_shot: %s not written\n", qPrintable(out));
        return 1;
    }
    return 0;
}
