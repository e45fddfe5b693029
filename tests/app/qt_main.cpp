// GoogleTest main with a QApplication, as the window classes need one. Settings go
// to a temporary folder so tests never touch the user's, and the map asks no
// server for tiles or routes unless a test starts one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("XDG_CACHE_HOME", config.path().toUtf8());
    qputenv("DASHCAM_TILE_URL", "");
    qputenv("DASHCAM_ROUTING_URL", "");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("dashcam-viewer-tests"));
    QApplication::setApplicationName(QStringLiteral("dashcam-viewer-tests"));
    return RUN_ALL_TESTS();
}
