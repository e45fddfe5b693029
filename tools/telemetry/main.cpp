#include <QCoreApplication>

#include "Cli.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("dashcam-telemetry");
    QCoreApplication::setApplicationVersion(DASHCAM_VERSION);
    return telemetry_cli::run(argc, argv);
}
