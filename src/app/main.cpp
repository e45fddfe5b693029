#include <mpv/client.h>

#include <QApplication>
#include <QCommandLineParser>
#include <clocale>

#include "MainWindow.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dashcam-viewer"));
    QApplication::setApplicationVersion(QStringLiteral(DASHCAM_VERSION));
    // libmpv refuses to initialise unless LC_NUMERIC is "C"; Qt has just set it
    // from the environment.
    std::setlocale(LC_NUMERIC, "C");

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Plays dashcam recordings with their telemetry."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("paths"), QStringLiteral("Folders or recordings to open."),
                                 QStringLiteral("[paths...]"));
    parser.process(app);

    MainWindow window;
    window.setWindowTitle(window.windowTitle() + QStringLiteral(" (libmpv API %1.%2)")
                                                     .arg(mpv_client_api_version() >> 16)
                                                     .arg(mpv_client_api_version() & 0xffff));
    window.show();
    return app.exec();
}
