#include <mpv/client.h>

#include <QApplication>
#include <QCommandLineParser>
#include <clocale>

#include "ViewController.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("dashcam-viewer"));
    QApplication::setApplicationName(QStringLiteral("dashcam-viewer"));
    const unsigned long mpvApi = mpv_client_api_version();
    QApplication::setApplicationVersion(QStringLiteral("%1 (libmpv client API %2.%3)")
                                            .arg(QStringLiteral(DASHCAM_VERSION))
                                            .arg(mpvApi >> 16)
                                            .arg(mpvApi & 0xffff));
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

    ViewController window;
    window.show();
    if (!parser.positionalArguments().isEmpty()) window.openPaths(parser.positionalArguments());
    return app.exec();
}
