// Writes the seed corpora of fuzz_route and fuzz_tile: routing answers as an OSRM
// server gives them (routes, steps of every manoeuvre, errors) and tiles in the
// formats tile servers use, of tile size and of other sizes.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {
void put(const QString& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir + u'/' + name);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

QByteArray encoded(QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).drawLine(0, 0, size.width(), size.height());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_map_seeds ROUTE_DIR TILE_DIR\n");
        return 2;
    }
    const QString routes = QString::fromLocal8Bit(argv[1]), tiles = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(routes);
    QDir().mkpath(tiles);

    put(routes, "ok.json", R"({"code":"Ok","routes":[{"geometry":{"type":"LineString","coordinates":[[11.57,48.13],[11.58,48.14],[11.59,48.135]]},"legs":[{"steps":[
{"name":"Main Street","maneuver":{"type":"depart"}},
{"name":"","ref":"A1","maneuver":{"type":"turn","modifier":"left"}},
{"name":"Ring","maneuver":{"type":"roundabout","exit":2}},
{"name":"B2","maneuver":{"type":"fork","modifier":"slight right"}},
{"maneuver":{"type":"end of road","modifier":"uturn"}},
{"maneuver":{"type":"arrive"}}]}]}],"waypoints":[]})");
    put(routes, "two.json", R"({"code":"Ok","routes":[{"geometry":{"coordinates":[[1,2],[3,4]]},"legs":[]},{"geometry":{"coordinates":[[-179.9,-89.9]]},"legs":[{"steps":[{"maneuver":{"type":"merge"}}]}]}]})");
    put(routes, "noroute.json", R"({"code":"NoRoute","message":"Impossible route between points"})");
    put(routes, "bad_point.json", R"({"code":"Ok","routes":[{"geometry":{"coordinates":[[1e999,2],[3,"4"]]}}]})");
    put(routes, "empty.json", R"({"code":"Ok"})");
    put(routes, "array.json", "[1,2,3]");

    for (const char* format : {"PNG", "JPEG"})
        for (int side : {256, 512, 300}) put(tiles, QStringLiteral("%1_%2").arg(side).arg(QLatin1String(format)), encoded({side, side}, format));
    put(tiles, "wide.png", encoded({512, 256}, "PNG"));
    put(tiles, "tiny.gif", QByteArray::fromBase64("R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"));
    return 0;
}
