#include <mpv/client.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QUrl>
#include <clocale>

#include "ClipWork.h"
#include "Translations.h"
#include "ViewController.h"

namespace {

void describeProgram(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("Plays dashcam recordings with their telemetry."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("paths"), QStringLiteral("Folders or recordings to open."),
                                 QStringLiteral("[paths...]"));
}

bool asksForHelpOrVersion(const QCommandLineParser& parser) {
    return parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")) ||
           parser.isSet(QStringLiteral("version"));
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setOrganizationName(QStringLiteral("dashcam-viewer"));
    QCoreApplication::setApplicationName(QStringLiteral("dashcam-viewer"));
    const unsigned long mpvApi = mpv_client_api_version();
    QCoreApplication::setApplicationVersion(QStringLiteral("%1 (libmpv client API %2.%3)")
                                                .arg(QStringLiteral(DASHCAM_VERSION))
                                                .arg(mpvApi >> 16)
                                                .arg(mpvApi & 0xffff));

    QCommandLineParser parser;
    describeProgram(parser);
    // Help and version are answered before the window system is touched, so they
    // work without a display. Anything the parser does not know yet may be one
    // of the toolkit's own options, which only the GUI application strips.
    {
        QStringList arguments;
        for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
        if (parser.parse(arguments) && asksForHelpOrVersion(parser)) {
            QCoreApplication app(argc, argv);
            parser.process(app);  // prints and exits
        }
    }

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(DASHCAM_APP_ID));
    installTranslations(app);
    // libmpv refuses to initialise unless LC_NUMERIC is "C"; Qt has just set it
    // from the environment.
    std::setlocale(LC_NUMERIC, "C");
    parser.process(app);

    // The paths as the file system's bytes: a name that is not UTF-8 does not survive
    // the parser's texts. A desktop file manager passes file:// URIs, percent-encoded.
    QByteArrayList paths;
    int from = 1;
    for (const QString& path : parser.positionalArguments()) {
        const QUrl url(path);
        if (url.isLocalFile()) {
            paths.append(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
            continue;
        }
        for (int i = from; i < argc; ++i)
            if (QFile::decodeName(argv[i]) == path) {
                paths.append(argv[i]);
                from = i + 1;
                break;
            }
    }

    // A viewer killed while writing a clip could not remove its work folder.
    clips::sweepWorkFolders();

    ViewController window;
    window.show();
    if (!paths.isEmpty()) window.openPaths(paths);
    return app.exec();
}
