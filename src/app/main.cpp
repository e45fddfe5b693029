#include <mpv/client.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
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

    // The paths as the file system's bytes: a name that is not UTF-8 does not survive
    // the parser's texts.
    QByteArrayList paths;
    int from = 1;
    for (const QString& path : parser.positionalArguments())
        for (int i = from; i < argc; ++i)
            if (QFile::decodeName(argv[i]) == path) {
                paths.append(argv[i]);
                from = i + 1;
                break;
            }

    ViewController window;
    window.show();
    if (!paths.isEmpty()) window.openPaths(paths);
    return app.exec();
}
