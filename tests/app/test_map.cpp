#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTransform>

#include "AppTestSupport.h"
#include "FakeHttpServer.h"
#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include "ImageRotation.h"
#include "MapWidget.h"
#include "TileImage.h"
#include "TileLoader.h"
#include "TrackPath.h"
#include "TrackRegion.h"
#include "ViewController.h"
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

    // The lines follow the view; the marker alone moving keeps them.
    map.setView(map.toCoordinate({200, 170}), 15);
    EXPECT_TRUE(isRed(render(map).pixel((quarter - QPointF(0, 20)).toPoint())));
    EXPECT_FALSE(isRed(render(map).pixel(quarter.toPoint() + QPoint(0, 12))));

    map.removeAllOverlays();
    EXPECT_FALSE(isRed(render(map).pixel(quarter.toPoint())));
}

TEST(MapWidget, PositionsOffTheEarthNeverReachPainting) {
    MapWidget map{QString()};
    RedLines look;
    look.markerIcon = QImage(12, 12, QImage::Format_ARGB32);
    look.markerIcon.fill(Qt::blue);
    map.setDelegate(&look);
    map.resize(300, 200);
    map.setView({10, 10}, 12);
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const std::function<void()> ignored[] = {
        [&] { map.setView({nan, 10}, 12); },           [&] { map.setView({10, inf}, 12); },
        [&] { map.setView({10, 10}, nan); },           [&] { map.setRegion({inf, 0}, 0.01, 0.01, false); },
        [&] { map.setRegion({10, 10}, nan, 0.01, false); }};
    for (const auto& call : ignored) {
        call();
        EXPECT_DOUBLE_EQ(map.centre().latitude, 10);
        EXPECT_DOUBLE_EQ(map.centre().longitude, 10);
        EXPECT_DOUBLE_EQ(map.zoom(), 12);
    }
    map.setView({10, 370}, 12);  // longitudes wrap
    EXPECT_DOUBLE_EQ(map.centre().longitude, 10);

    for (GeoCoordinate c : {GeoCoordinate{inf, inf}, GeoCoordinate{nan, 10}, GeoCoordinate{95, 10}})
        map.addAnnotation(c, "Start");
    map.addOverlay({{{9.99, 9.98}, {inf, 10}, {10.01, 10.02}}, 0});
    EXPECT_TRUE(isRed(render(map).pixel(map.toWidget({10, 10}).toPoint())));  // the line through the usable points
    for (GeoCoordinate view : {GeoCoordinate{10, 10}, GeoCoordinate{webmercator::kMaxLatitude, 10}}) {
        map.setView(view, 12);
        const QImage image = render(map);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_NE(image.pixel(x, y), QColor(Qt::blue).rgb()) << x << "," << y;  // no marker anywhere
    }
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

namespace {
double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double length2 = QPointF::dotProduct(d, d);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / length2, 0.0, 1.0) : 0.0;
    const QPointF q = a + d * t - p;
    return std::hypot(q.x(), q.y());
}

// A wandering drive of n points `step` apart, in world pixels at zoom 0, that turns
// as much per distance whatever the step.
QPolygonF wander(int n, double step) {
    QPolygonF points;
    QRandomGenerator random(7);
    QPointF at(128, 128);
    double heading = 0;
    for (int i = 0; i < n; ++i) {
        heading += (random.generateDouble() - 0.5) * 6000 * step;
        at += QPointF(std::cos(heading), std::sin(heading)) * step;
        points.append(at);
    }
    return points;
}
}  // namespace

TEST(TrackPath, ThinnedLineStaysWithinHalfAPixelOfEveryPoint) {
    const QPolygonF track = wander(20000, 1e-4);
    for (double scale : {64.0, 4096.0, 262144.0}) {  // points 0.006, 0.4 and 26 pixels apart
        SCOPED_TRACE(scale);
        const QPolygonF thin = trackpath::simplified(track, scale);
        EXPECT_EQ(thin.first(), track.first() * scale);
        EXPECT_EQ(thin.last(), track.last() * scale);
        if (scale < 1e5) {
            EXPECT_LT(thin.size(), track.size() / 10);
        }
        // The points are in order along the thinned line: each within half a pixel of
        // a segment at or after the one the previous point was near.
        qsizetype segment = 0;
        for (const QPointF& p : track) {
            const QPointF q = p * scale;
            while (segment + 1 < thin.size() && distanceToSegment(q, thin[segment], thin[segment + 1]) > 0.5 + 1e-9)
                ++segment;
            ASSERT_LT(segment + 1, thin.size()) << "point off the thinned line: " << q.x() << "," << q.y();
        }
    }
    // A route of a million points at a city's zoom is a few hundred to draw.
    EXPECT_LT(trackpath::simplified(wander(1000000, 1e-6), 4096).size(), 2000);
}

TEST(TrackPath, ClippedToTheViewInPieces) {
    const QRectF view(0, 0, 100, 100);
    struct Case {
        QPolygonF line;
        QList<QPolygonF> pieces;
    };
    const Case cases[] = {
        {QPolygonF({{10, 10}, {50, 50}, {90, 10}}), {QPolygonF({{10, 10}, {50, 50}, {90, 10}})}},
        {QPolygonF({{-50, 50}, {150, 50}}), {QPolygonF({{0, 50}, {100, 50}})}},  // through, no point inside
        {QPolygonF({{50, 50}, {50, 200}, {60, 200}, {60, 50}}),                   // out and back in
         {QPolygonF({{50, 50}, {50, 100}}), QPolygonF({{60, 100}, {60, 50}})}},
        {QPolygonF({{200, 200}, {300, 300}}), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.line));
        EXPECT_EQ(trackpath::clipped(c.line, view), c.pieces);
    }
}

TEST(TrackRegion, WholeTrackFromItsFixesOnly) {
    const auto region = [](std::vector<std::pair<std::string, std::string>> positions) {
        telemetry::Class_Video_Info record;
        record.array_SubtileInfo.emplace();
        for (const auto& [lat, lon] : positions) {
            telemetry::Class_Subtitle_Info s;
            s.setSubtitleInfo("$0$0$1$" + lon + "$" + lat + "$90$36$2016$5$12$9$3$7$S$E");
            record.array_SubtileInfo->push_back(s);
        }
        return trackRegion(record);
    };
    // A fix that starts late, a long trip: the box of the fixes with a tenth on each side.
    const auto trip = region({{"0", "0"}, {"0", "0"}, {"338000", "1510000"}, {"340000", "1515000"}, {"9e9999", "9e9999"}});
    ASSERT_TRUE(trip);
    EXPECT_NEAR(trip->centre.latitude, -33.9, 1e-9);
    EXPECT_NEAR(trip->centre.longitude, 151.25, 1e-9);
    EXPECT_NEAR(trip->spanLatitude, 0.24, 1e-9);
    EXPECT_NEAR(trip->spanLongitude, 0.6, 1e-9);
    // A car that stands still: the smallest span.
    const auto parked = region({{"338000", "1510000"}, {"338001", "1510000"}});
    ASSERT_TRUE(parked);
    EXPECT_DOUBLE_EQ(parked->spanLatitude, kMinimumRegionSpan);
    EXPECT_DOUBLE_EQ(parked->spanLongitude, kMinimumRegionSpan);
    EXPECT_FALSE(region({{"0", "0"}, {"9e9999", "1510000"}, {"910000", "1510000"}}));  // no usable fix
    EXPECT_FALSE(trackRegion(telemetry::Class_Video_Info{}));
}

namespace {
QByteArray picture(QSize size, const char* format = "PNG") {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}
}  // namespace

TEST(TileImage, OnlyTileSizedPicturesWithinTheCap) {
    const struct {
        const char* name;
        QByteArray body;
        bool accepted;
    } cases[] = {
        {"256 PNG", picture({256, 256}), true},
        {"512 JPEG", picture({512, 512}, "JPEG"), true},
        {"300", picture({300, 300}), false},
        {"4000", picture({4000, 4000}), false},
        {"not square", picture({256, 512}), false},
        {"not a picture", "<html>rate limited</html>", false},
        {"beyond the cap", picture({256, 256}) + QByteArray(tileimage::kMaxBodyBytes, '\0'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(!tileimage::decodeTile(c.body).isNull(), c.accepted);
    }
}

TEST(TileLoader, LateTilesFailAndTheCacheIsBoundByBytes) {
    FakeHttpServer server([](const QString& path) {
        FakeHttpServer::Reply reply{200, "image/png", picture({512, 512})};
        if (path.startsWith("/9/")) reply.trickleMs = 20;  // still arriving long after the deadline
        return reply;
    });
    // 512-pixel tiles of a MiB each, in a cache of three.
    TileLoader loader(server.url() + "/{z}/{x}/{y}.png", {300, 3 << 20});
    loader.request({{9, 1, 1}});
    ASSERT_TRUE(waitUntil([&] { return !loader.busy(); }, 3000));
    EXPECT_TRUE(loader.tile({9, 1, 1}).isNull());

    for (int x = 0; x < 5; ++x) {
        loader.request({{4, x, 0}});
        ASSERT_TRUE(waitUntil([&] { return !loader.busy(); }, 5000));
        EXPECT_FALSE(loader.tile({4, x, 0}).isNull());
    }
    int held = 0;
    for (int x = 0; x < 5; ++x) held += !loader.tile({4, x, 0}).isNull();
    EXPECT_EQ(held, 3);
}

namespace {
// A recording of a drive starting where given; `bend` may rewrite each sample line.
void writeDrive(const QString& path, double startLat, int noFixSeconds,
                const std::function<void(std::string&)>& bend = {}) {
    testgen::DriveOptions d;
    d.seconds = 20;
    d.startLat = startLat;
    d.noFixSeconds = noFixSeconds;
    testgen::SyntheticOptions o;
    for (std::string l : testgen::simulateDrive(d)) {
        if (bend) bend(l);
        o.samples.push_back(testgen::timedTextSample(l));
    }
    o.duration = 20000;
    o.videoBytesPerSample = 16;
    o.trailer = 64;
    testgen::writeSynthetic(path.toStdString(), o);
}

// The start of the route asked for, as the routing server reads it from the path.
QByteArray echoRoute(const QString& path) {
    const QString from = path.section('/', 5).section(';', 0, 0);
    return "{\"code\":\"Ok\",\"routes\":[{\"geometry\":{\"coordinates\":[[" + from.toLatin1() +
           "],[11.6,48.2]]},\"legs\":[{\"steps\":[]}]}]}";
}

struct MapWindow {
    explicit MapWindow(const QString& routingUrl = {}) {
        qputenv("DASHCAM_ROUTING_URL", routingUrl.toUtf8());
        window = std::make_unique<ViewController>(MpvPlayer::Output::None);
        qputenv("DASHCAM_ROUTING_URL", "");
    }
    bool open(const QStringList& paths) {
        return window->openPaths(paths) && waitUntil([&] { return !window->isIndexing(); });
    }
    std::unique_ptr<ViewController> window;
};
}  // namespace

TEST(MapInWindow, RouteOfARecordingNoLongerOpenIsDropped) {
    QTemporaryDir tmp;
    const QString north = tmp.filePath("REC_0001.MP4"), south = tmp.filePath("REC_0002.MP4");
    writeDrive(north, 48.1374, 0);
    writeDrive(south, -33.8688, 12);  // its fix starts after the middle sample
    FakeHttpServer osrm([](const QString& path) { return FakeHttpServer::Reply{200, "application/json", echoRoute(path), false, 300}; });
    MapWindow mw(osrm.url());
    ViewController& w = *mw.window;
    ASSERT_TRUE(mw.open({north, south}));
    LogCapture log;

    w.playTheVideo(0);
    w.playTheVideo(1);  // while the first answer is on its way
    ASSERT_TRUE(waitUntil([&] { return osrm.requests().size() == 2 && !w.mapView->overlays().isEmpty(); }, 5000));
    QTest::qWait(400);  // the other answer has come too
    ASSERT_EQ(w.mapView->overlays().size(), 1);
    EXPECT_LT(w.mapView->overlays().first().points.first().latitude, 0);  // the southern recording's route
    EXPECT_TRUE(log.contains("Dropped the route of a recording no longer open"));
    EXPECT_NEAR(w.mapView->centre().latitude, -33.87, 0.05);  // on its fixes, not on 0,0
}

TEST(MapInWindow, InfiniteCoordinatesAreNoFix) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("REC_0001.MP4");
    // Latitude and longitude read as infinite numbers of the length of real ones.
    writeDrive(path, 48.1374, 0, [](std::string& line) {
        QStringList fields = QString::fromStdString(line).split('$');
        for (int i : {4, 5}) fields[i] = "9e" + QString(fields[i].size() - 2, '9');
        line = fields.join('$').toStdString();
    });
    MapWindow mw;
    ViewController& w = *mw.window;
    ASSERT_TRUE(mw.open({path}));
    const GeoCoordinate before = w.mapView->centre();
    w.playTheVideo(0);
    for (int64_t second : {0, 5, 12}) w.tick({second, 1});
    QImage image(w.mapView->size(), QImage::Format_ARGB32);
    w.mapView->render(&image);
    EXPECT_TRUE(w.mapView->annotations().isEmpty());
    EXPECT_EQ(w.mapView->centre().latitude, before.latitude);
    EXPECT_TRUE(waitUntil([&] { return !w.mapView->overlays().isEmpty(); }, 3000));  // routing off: the track
    EXPECT_TRUE(w.mapView->overlays().first().points.isEmpty());
}

TEST(MapInWindow, MarkerKeepsTheHeadingItWasPlacedWith) {
    MapWindow mw;
    ViewController& w = *mw.window;
    w.library.currentStorageVideo.currentdegree = 0;  // a later tick's heading
    const QImage icon(QStringLiteral(":/ic_tracking_32.png"));
    EXPECT_EQ(w.viewForAnnotation({1, {48.1, 11.5}, "Start", 90}), std::optional(imageRotated(icon, 360 - 90)));
    EXPECT_FALSE(w.viewForAnnotation({2, {}, "End", 90}).has_value());  // the map's default look
}
