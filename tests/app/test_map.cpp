#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTransform>

#include "AppTestSupport.h"
#include "FakeHttpServer.h"
#include <QTest>
#include "ImageRotation.h"
#include "MapWidget.h"
#include "WebMercator.h"

namespace {

struct RedLines : MapViewDelegate {
    QImage markerIcon;
    QPen rendererForOverlay(const MapPolyline&) override { return QPen(Qt::red, 4.0); }
    std::optional<QImage> viewForAnnotation(const MapAnnotation& a) override {
        if (a.title == QLatin1String("Start")) return markerIcon;
        return std::nullopt;
    }
};

QImage render(MapWidget& map) {
    QImage image(map.size(), QImage::Format_ARGB32);
    map.render(&image);
    return image;
}

bool isRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }

int maxChannelDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = reinterpret_cast<const QRgb*>(a.constScanLine(y))[x];
            const QRgb q = reinterpret_cast<const QRgb*>(b.constScanLine(y))[x];
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q), qAlpha(p) - qAlpha(q)})
                worst = std::max(worst, std::abs(d));
        }
    return worst;
}

}  // namespace

TEST(ImageRotation, CanvasSizes) {
    const QImage icon(32, 32, QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(imageRotated(icon, 45).size(), QSize(52, 52));
    EXPECT_EQ(imageRotated(icon, 90).size(), QSize(32, 32));
    EXPECT_EQ(imageRotated(icon, 180).size(), QSize(32, 32));
    const QImage wide(40, 20, QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(imageRotated(wide, 90).size(), QSize(20, 40));
    EXPECT_EQ(imageRotated(wide, -270).size(), QSize(20, 40));
    EXPECT_EQ(imageRotated(wide, 450).size(), QSize(20, 40));  // reduced first
    EXPECT_EQ(imageRotated(wide, -630).size(), QSize(20, 40));
    EXPECT_EQ(imageRotated(wide, 180).size(), QSize(40, 20));
    EXPECT_EQ(imageRotated(wide, 30).size(), QSize(60, 60));
    for (float zero : {0.0f, 360.0f, -360.0f, 720.0f})
        EXPECT_EQ(imageRotated(wide, zero).cacheKey(), wide.cacheKey()) << zero;  // the image itself
}

TEST(ImageRotation, MarkerTurnsToTheHeading) {
    Q_INIT_RESOURCE(map);
    const QImage icon(QStringLiteral(":/ic_tracking_32.png"));
    ASSERT_EQ(icon.size(), QSize(32, 32));
    // A heading of 90 (east) turns the north-pointing arrow by 360 - 90: a quarter
    // turn clockwise on screen.
    // Compared premultiplied, where every transparent pixel reads the same.
    const QImage east = imageRotated(icon, 360 - 90).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage expected = icon.transformed(QTransform().rotate(90)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(east.size(), expected.size());
    EXPECT_LE(maxChannelDifference(east, expected), 8);
    EXPECT_GT(qAlpha(east.pixel(28, 16)), 100);  // the tip now points right
    EXPECT_EQ(qAlpha(east.pixel(16, 2)), 0);     // where it pointed before
}

TEST(MapWidget, RedLineAndMarkerWhereTheProjectionPutsThem) {
    MapWidget map{QString()};  // no tiles: a plain background
    RedLines look;
    look.markerIcon = QImage(12, 12, QImage::Format_ARGB32);
    look.markerIcon.fill(Qt::blue);
    map.setDelegate(&look);
    map.resize(400, 300);
    map.setView({48.1374, 11.5755}, 15);
    const GeoCoordinate a{48.1360, 11.5730}, b{48.1390, 11.5790};
    map.addOverlay({{a, b}, 0});
    map.addAnnotation({48.1374, 11.5755}, "Start");
    map.addAnnotation({48.1385, 11.5740}, "Other");
    const QImage image = render(map);

    // The projection: the view's centre is the widget's centre.
    EXPECT_NEAR(map.toWidget({48.1374, 11.5755}).x(), 200.0, 1e-6);
    const QPointF pa = map.toWidget(a), pb = map.toWidget(b);
    const QPointF expectedA = webmercator::project(a, 15) - webmercator::project({48.1374, 11.5755}, 15) + QPointF(200, 150);
    EXPECT_NEAR(pa.x(), expectedA.x(), 1e-6);
    EXPECT_NEAR(pa.y(), expectedA.y(), 1e-6);
    EXPECT_LT(pa.y(), 300.0);
    EXPECT_GT(pa.y(), pb.y());  // north is up
    const QPointF quarter = pa + (pb - pa) * 0.25;
    EXPECT_TRUE(isRed(image.pixel(quarter.toPoint()))) << std::hex << image.pixel(quarter.toPoint());
    EXPECT_FALSE(isRed(image.pixel(quarter.toPoint() + QPoint(0, 12))));
    EXPECT_EQ(image.pixel(200, 150), QColor(Qt::blue).rgb());  // the marker's image, centred on its point
    const QPointF other = map.toWidget({48.1385, 11.5740});
    EXPECT_NE(image.pixel(other.toPoint()), image.pixel(5, 290));  // the default marker for any other title

    map.removeAllOverlays();
    EXPECT_FALSE(isRed(render(map).pixel(quarter.toPoint())));
}

TEST(MapWidget, RegionFitsTheSpanAndKeepsItsCentre) {
    MapWidget map{QString()};
    map.resize(400, 300);
    map.setRegion({-33.8688, 151.2093}, 0.01, 0.01, false);
    EXPECT_NEAR(map.centre().latitude, -33.8688, 1e-9);
    const QPointF nw = map.toWidget({-33.8688 + 0.005, 151.2093 - 0.005});
    const QPointF se = map.toWidget({-33.8688 - 0.005, 151.2093 + 0.005});
    EXPECT_GE(nw.x(), -0.5);
    EXPECT_LE(se.y(), 300.5);
    // Fits tightly: one side of the span meets the widget's edges.
    EXPECT_TRUE(std::abs(se.x() - nw.x() - 400) < 1 || std::abs(se.y() - nw.y() - 300) < 1);
}

namespace {
// Tiles of one colour each, told apart by their x: even x blue, odd x green.
FakeHttpServer::Reply tileReply(const QString& path, QStringList* asked) {
    asked->append(path);
    const QStringList parts = path.split('/');  // "", z, x, "y.png"
    QImage tile(256, 256, QImage::Format_RGB32);
    tile.fill(parts.value(2).toInt() % 2 ? Qt::green : Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    tile.save(&buffer, "PNG");
    return {200, "image/png", png};
}
}  // namespace

TEST(MapWidget, TilesFromTheServerLandWhereTheyBelong) {
    QStringList asked;
    FakeHttpServer server([&](const QString& path) { return tileReply(path, &asked); });
    ASSERT_TRUE(server.isListening());
    MapWidget map{server.url() + "/{z}/{x}/{y}.png"};
    RedLines look;
    map.setDelegate(&look);
    map.resize(400, 300);
    // Zoom 2: four tiles a side. The centre sits on the line between tiles x=1 and x=2.
    map.setView(webmercator::unproject({512, 512}, 2), 2);
    map.addOverlay({{{0, -60}, {0, 60}}, 0});
    render(map);  // asks for the visible tiles
    ASSERT_TRUE(waitUntil([&] {
        const QImage image = render(map);
        const QRgb background = image.pixel(5, 5);  // any tile not yet in is the plain background
        return asked.size() >= 4 && image.pixel(150, 100) != QColor(0xe8, 0xe4, 0xd8).rgb() &&
               image.pixel(250, 100) != QColor(0xe8, 0xe4, 0xd8).rgb() && background != QColor(0xe8, 0xe4, 0xd8).rgb();
    }, 10000)) << asked.join(' ').toStdString();
    const QImage image = render(map);
    EXPECT_EQ(image.pixel(150, 100), QColor(Qt::green).rgb());  // tile x=1, left of the centre
    EXPECT_EQ(image.pixel(250, 100), QColor(Qt::blue).rgb());   // tile x=2, right of it
    EXPECT_TRUE(isRed(image.pixel(map.toWidget({0, 0}).toPoint())));  // lines over tiles
    EXPECT_TRUE(asked.contains("/2/1/1.png")) << asked.join(' ').toStdString();
    EXPECT_FALSE(asked.contains("/2/1/3.png"));  // below the visible area: never asked for
    for (const auto& r : server.requests()) EXPECT_TRUE(r.headers.value("user-agent").startsWith("dashcam-viewer/"));
}

TEST(MapWidget, UnreachableTileServerStillDrawsLinesAndMarkers) {
    MapWidget map{QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(FakeHttpServer::unusedPort())};
    RedLines look;
    look.markerIcon = QImage(10, 10, QImage::Format_ARGB32);
    look.markerIcon.fill(Qt::blue);
    map.setDelegate(&look);
    map.resize(300, 200);
    map.setView({10, 10}, 12);
    map.addOverlay({{{9.99, 9.98}, {10.01, 10.02}}, 0});
    map.addAnnotation({10.005, 9.99}, "Start");
    render(map);
    QTest::qWait(300);  // the refused requests come back meanwhile
    const QImage image = render(map);
    EXPECT_TRUE(isRed(image.pixel(map.toWidget({10, 10}).toPoint())));
    EXPECT_EQ(image.pixel(map.toWidget({10.005, 9.99}).toPoint()), QColor(Qt::blue).rgb());
}
