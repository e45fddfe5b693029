#include <gtest/gtest.h>

#include <QBuffer>
#include <QLabel>
#include <QRandomGenerator>
#include <QTest>
#include <cmath>

#include "AppTestSupport.h"
#include "FakeHttpServer.h"
#include "ImageRotation.h"
#include "MapWidget.h"
#include "RecordedTrack.h"
#include "TileImage.h"
#include "TileLoader.h"
#include "TrackPath.h"
#include "TrackRegion.h"
#include "TripMap.h"
#include "ViewController.h"
#include "WebMercator.h"

namespace {

QByteArray picture(QSize size, QColor colour = Qt::green, const char* format = "PNG") {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString cornerOf(const MapWidget& map) {
    const QLabel* label = map.findChild<QLabel*>();
    if (!label) return "(no corner)";
    if (label->geometry().bottomRight() != map.rect().bottomRight()) return "(off the corner)";
    return label->isHidden() ? QString() : label->text();
}

bool isRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
const QRgb kBlue = QColor(Qt::blue).rgb();

// A map of red lines and a blue "Start" marker (any other title: the map's default look),
// its tiles from `tiles` (empty: a plain background).
struct Map : MapViewDelegate {
    Map(const QString& tiles, QSize size, GeoCoordinate centre, double zoom) : widget(tiles) {
        marker.fill(Qt::blue);
        widget.setDelegate(this);
        widget.resize(size);
        widget.setView(centre, zoom);
    }
    QPen rendererForOverlay(const MapPolyline&) override { return QPen(Qt::red, 4.0); }
    std::optional<QImage> viewForAnnotation(const MapAnnotation& a) override {
        return a.title == QLatin1String("Start") ? std::optional(marker) : std::nullopt;
    }
    QImage render() {
        QImage image(widget.size(), QImage::Format_ARGB32);
        widget.render(&image);
        return image;
    }
    QRgb at(GeoCoordinate c) { return render().pixel(widget.toWidget(c).toPoint()); }
    // What the bottom right corner says; empty when it says nothing.
    QString corner() const { return cornerOf(widget); }

    QImage marker{12, 12, QImage::Format_ARGB32};
    MapWidget widget;
};

}  // namespace

TEST(ImageRotation, CanvasSizes) {
    const struct {
        QSize image;
        float degrees;
        QSize canvas;
    } cases[] = {{{32, 32}, 45, {52, 52}},   {{32, 32}, 90, {32, 32}},   {{40, 20}, 90, {20, 40}},
                 {{40, 20}, -270, {20, 40}}, {{40, 20}, 450, {20, 40}},  {{40, 20}, -630, {20, 40}},  // reduced first
                 {{40, 20}, 180, {40, 20}},  {{40, 20}, 30, {60, 60}}};
    for (const auto& c : cases)
        EXPECT_EQ(imageRotated(QImage(c.image, QImage::Format_ARGB32_Premultiplied), c.degrees).size(), c.canvas) << c.degrees;
    const QImage wide(40, 20, QImage::Format_ARGB32_Premultiplied);
    for (float zero : {0.0f, 360.0f, -360.0f, 720.0f})
        EXPECT_EQ(imageRotated(wide, zero).cacheKey(), wide.cacheKey()) << zero;  // the image itself
}

TEST(ImageRotation, MarkerTurnsToTheHeading) {
    Q_INIT_RESOURCE(map);
    const QImage icon(QStringLiteral(":/ic_tracking_32.png"));
    ASSERT_EQ(icon.size(), QSize(32, 32));
    // A heading of 90 (east) turns the north-pointing arrow by 360 - 90: a quarter turn
    // clockwise on screen. Compared premultiplied, where every transparent pixel reads the same.
    const auto premultiplied = [](const QImage& i) { return i.convertToFormat(QImage::Format_ARGB32_Premultiplied); };
    const QImage east = premultiplied(imageRotated(icon, 360 - 90));
    const QImage expected = premultiplied(icon.transformed(QTransform().rotate(90)));
    ASSERT_EQ(east.size(), expected.size());
    for (int y = 0; y < east.height(); ++y)
        for (int x = 0; x < east.width(); ++x) {
            const QRgb p = east.pixel(x, y), q = expected.pixel(x, y);
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q), qAlpha(p) - qAlpha(q)})
                ASSERT_LE(std::abs(d), 8) << x << "," << y;
        }
    // The window's marker, titled "Start", turns to the heading it was placed with.
    ViewController w(MpvPlayer::Output::None);
    w.moveVehicleMarker(48.1, 11.5, 90);
    const QList<MapAnnotation> vehicle = w.tripMap().markers(MapAnnotation::Kind::Vehicle);
    ASSERT_EQ(vehicle.size(), 1);
    EXPECT_EQ(vehicle[0].title, "Start");
    EXPECT_EQ(w.tripMap().viewForAnnotation(vehicle[0]), std::optional(imageRotated(icon, 360 - 90)));
    EXPECT_FALSE(w.tripMap().viewForAnnotation({2, {}, "End", 90}).has_value());  // the map's default look
}

TEST(MapWidget, RedLineAndMarkerWhereTheProjectionPutsThem) {
    const GeoCoordinate centre{48.1374, 11.5755}, a{48.1360, 11.5730}, b{48.1390, 11.5790}, other{48.1385, 11.5740};
    Map map({}, {400, 300}, centre, 15);
    map.widget.addOverlay({{a, b}, 0});
    map.widget.addAnnotation(centre, "Start");
    map.widget.addAnnotation(other, "Other");
    const QImage image = map.render();

    // The projection: the view's centre is the widget's centre; north is up.
    const QPointF pa = map.widget.toWidget(a), pb = map.widget.toWidget(b);
    const QPointF expectedA = webmercator::project(a, 15) - webmercator::project(centre, 15) + QPointF(200, 150);
    EXPECT_NEAR(pa.x(), expectedA.x(), 1e-6);
    EXPECT_NEAR(pa.y(), expectedA.y(), 1e-6);
    EXPECT_GT(pa.y(), pb.y());
    const QPointF quarter = pa + (pb - pa) * 0.25;
    EXPECT_TRUE(isRed(image.pixel(quarter.toPoint()))) << std::hex << image.pixel(quarter.toPoint());
    EXPECT_FALSE(isRed(image.pixel(quarter.toPoint() + QPoint(0, 12))));
    EXPECT_EQ(image.pixel(200, 150), kBlue);  // the marker's image, centred on its point
    EXPECT_NE(image.pixel(map.widget.toWidget(other).toPoint()), image.pixel(5, 290));  // the default marker
    EXPECT_EQ(map.corner(), "Map tiles off");  // no credit for tiles that are not there

    // The lines follow the view.
    map.widget.setView(map.widget.toCoordinate({200, 170}), 15);
    EXPECT_TRUE(isRed(map.render().pixel((quarter - QPointF(0, 20)).toPoint())));
    EXPECT_FALSE(isRed(map.render().pixel(quarter.toPoint() + QPoint(0, 12))));
    map.widget.removeAllOverlays();
    EXPECT_FALSE(isRed(map.render().pixel(quarter.toPoint())));
}

// An unreachable tile server leaves the plain background; lines and markers are drawn all the same.
TEST(MapWidget, PositionsOffTheEarthNeverReachPainting) {
    const QString refused = QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(FakeHttpServer::unusedPort());
    Map map(refused, {300, 200}, {10, 10}, 12);
    MapWidget& w = map.widget;
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const std::function<void()> ignored[] = {
        [&] { w.setView({nan, 10}, 12); }, [&] { w.setView({10, inf}, 12); }, [&] { w.setView({10, 10}, nan); },
        [&] { w.setRegion({inf, 0}, 0.01, 0.01, false); }, [&] { w.setRegion({10, 10}, nan, 0.01, false); }};
    for (const auto& call : ignored) {
        call();
        EXPECT_DOUBLE_EQ(w.centre().latitude, 10);
        EXPECT_DOUBLE_EQ(w.centre().longitude, 10);
        EXPECT_DOUBLE_EQ(w.zoom(), 12);
    }
    w.setView({10, 370}, 12);  // longitudes wrap
    EXPECT_DOUBLE_EQ(w.centre().longitude, 10);

    for (GeoCoordinate c : {GeoCoordinate{inf, inf}, GeoCoordinate{nan, 10}, GeoCoordinate{95, 10}}) w.addAnnotation(c, "Start");
    w.addOverlay({{{9.99, 9.98}, {inf, 10}, {10.01, 10.02}}, 0});
    map.render();
    QTest::qWait(300);  // the refused tile requests come back meanwhile
    EXPECT_TRUE(isRed(map.at({10, 10})));  // the line through the usable points
    EXPECT_EQ(map.corner(), "");  // tiles on, but none shown: nothing to credit
    for (GeoCoordinate view : {GeoCoordinate{webmercator::kMaxLatitude, 10}, GeoCoordinate{10, 10}}) {
        w.setView(view, 12);
        const QImage image = map.render();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) ASSERT_NE(image.pixel(x, y), kBlue) << x << "," << y;  // no marker
    }
    w.addAnnotation({10.005, 9.99}, "Start");
    EXPECT_EQ(map.at({10.005, 9.99}), kBlue);
}

TEST(MapWidget, RegionFitsTheSpanAndKeepsItsCentre) {
    Map map({}, {400, 300}, {0, 0}, 1);
    map.widget.setRegion({-33.8688, 151.2093}, 0.01, 0.01, false);
    EXPECT_NEAR(map.widget.centre().latitude, -33.8688, 1e-9);
    const QPointF nw = map.widget.toWidget({-33.8688 + 0.005, 151.2093 - 0.005});
    const QPointF se = map.widget.toWidget({-33.8688 - 0.005, 151.2093 + 0.005});
    EXPECT_GE(nw.x(), -0.5);
    EXPECT_LE(se.y(), 300.5);
    // Fits tightly: one side of the span meets the widget's edges.
    EXPECT_TRUE(std::abs(se.x() - nw.x() - 400) < 1 || std::abs(se.y() - nw.y() - 300) < 1);
}

// Tiles of one colour each, told apart by their x: even x blue, odd x green.
TEST(MapWidget, TilesFromTheServerLandWhereTheyBelong) {
    QStringList asked;
    FakeHttpServer server([&](const QString& path) {
        asked.append(path);  // "/z/x/y.png"
        return FakeHttpServer::Reply{200, "image/png", picture({256, 256}, path.section('/', 2, 2).toInt() % 2 ? Qt::green : Qt::blue)};
    });
    // Zoom 2: four tiles a side. The centre sits on the line between tiles x=1 and x=2.
    Map map(server.url() + "/{z}/{x}/{y}.png", {400, 300}, webmercator::unproject({512, 512}, 2), 2);
    map.widget.addOverlay({{{0, -60}, {0, 60}}, 0});
    const QRgb background = QColor(0xe8, 0xe4, 0xd8).rgb();  // of any tile not yet in
    map.render();  // asks for the visible tiles
    EXPECT_EQ(map.corner(), "");  // none in yet
    ASSERT_TRUE(waitUntil([&] {
        const QImage image = map.render();
        return asked.size() >= 4 && image.pixel(150, 100) != background && image.pixel(250, 100) != background &&
               image.pixel(5, 5) != background;
    }, 10000)) << asked.join(' ').toStdString();
    const QImage image = map.render();
    EXPECT_EQ((QList<QRgb>{image.pixel(150, 100), image.pixel(250, 100)}),  // tiles x=1 and x=2
              (QList<QRgb>{QColor(Qt::green).rgb(), kBlue}));
    EXPECT_TRUE(isRed(map.at({0, 0})));                          // lines over tiles
    EXPECT_EQ(map.corner(), "© OpenStreetMap contributors");     // the credit over them
    EXPECT_TRUE(asked.contains("/2/1/1.png")) << asked.join(' ').toStdString();
    EXPECT_FALSE(asked.contains("/2/1/3.png"));  // below the visible area: never asked for
    for (const auto& r : server.requests()) EXPECT_TRUE(r.headers.value("user-agent").startsWith("dashcam-viewer/"));
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
            while (segment + 1 < thin.size() && distanceToSegment(q, thin[segment], thin[segment + 1]) > 0.5 + 1e-9) ++segment;
            ASSERT_LT(segment + 1, thin.size()) << "point off the thinned line: " << q.x() << "," << q.y();
        }
    }
    // A route of a million points at a city's zoom is a few hundred to draw.
    EXPECT_LT(trackpath::simplified(wander(1000000, 1e-6), 4096).size(), 2000);
}

TEST(TrackPath, ClippedToTheViewInPieces) {
    const std::pair<QPolygonF, QList<QPolygonF>> cases[] = {
        {QPolygonF({{10, 10}, {50, 50}, {90, 10}}), {QPolygonF({{10, 10}, {50, 50}, {90, 10}})}},
        {QPolygonF({{-50, 50}, {150, 50}}), {QPolygonF({{0, 50}, {100, 50}})}},  // through, no point inside
        {QPolygonF({{50, 50}, {50, 200}, {60, 200}, {60, 50}}),                   // out and back in
         {QPolygonF({{50, 50}, {50, 100}}), QPolygonF({{60, 100}, {60, 50}})}},
        {QPolygonF({{200, 200}, {300, 300}}), {}},
    };
    for (const auto& [line, pieces] : cases) EXPECT_EQ(trackpath::clipped(line, QRectF(0, 0, 100, 100)), pieces) << ::testing::PrintToString(line);
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
        record.num_subtitle = record.duration_second = uint32_t(positions.size());
        return trackRegion(record);
    };
    // A fix that starts late, a long trip: the box of the fixes with a tenth on each side.
    const auto trip = region({{"0", "0"}, {"0", "0"}, {"338000", "1510000"}, {"340000", "1515000"}, {"9e9999", "9e9999"}});
    const auto values = [](const std::optional<MapRegion>& r) {
        return r ? pointTexts({r->centre, {r->spanLatitude, r->spanLongitude}}) : QStringList();
    };
    EXPECT_EQ(values(trip), (QStringList{"-33.9,151.25", "0.24,0.6"}));
    // A car that stands still: the smallest span.
    EXPECT_EQ(values(region({{"338000", "1510000"}, {"338001", "1510000"}})).value(1),
              pointTexts({{kMinimumRegionSpan, kMinimumRegionSpan}}).value(0));
    EXPECT_FALSE(region({{"0", "0"}, {"9e9999", "1510000"}, {"910000", "1510000"}}));  // no usable fix
    EXPECT_FALSE(trackRegion(telemetry::Class_Video_Info{}));
}

TEST(RecordedTrack, EntriesBecomeSignedDegreesInOrder) {
    const MapPolyline t = recordedTrack({"451234,1034567,N,W", "-451234,1034567,S,E", "abc,12,s,w", "too,few",
                                         "1,2,N,E,extra", "9e9999,1034567,N,E", "451234,9e9999,N,W",
                                         "910000,1034567,N,E", "451234,1810000,N,E"});
    // "S" flips whatever the sign read; a text that is no number is no place (it would read
    // 0); lower-case letters flip nothing; fields after the fourth are ignored; the last
    // four are no place on Earth.
    EXPECT_EQ(pointTexts(t.points), (QStringList{"45.1234,-103.4567", "45.1234,103.4567", "0.0001,0.0002"}));
    EXPECT_EQ(t.level, 0);
    EXPECT_TRUE(recordedTrack({}).points.isEmpty());
}

TEST(TileImage, OnlyTileSizedPicturesWithinTheCap) {
    const std::pair<QByteArray, bool> cases[] = {
        {picture({256, 256}), true},  {picture({512, 512}, Qt::green, "JPEG"), true},
        {picture({300, 300}), false}, {picture({4000, 4000}), false},
        {picture({256, 512}), false}, {"<html>rate limited</html>", false},
        {picture({256, 256}) + QByteArray(tileimage::kMaxBodyBytes, '\0'), false},  // beyond the cap
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(!tileimage::decodeTile(cases[i].first).isNull(), cases[i].second) << i;
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

TEST(MapInWindow, RouteOfARecordingNoLongerOpenIsDropped) {
    QTemporaryDir tmp;
    const QString north = tmp.filePath("REC_0001.MP4"), south = tmp.filePath("REC_0002.MP4");
    testgen::DriveOptions d;
    d.seconds = 20;
    makeDriveAt(north, d);
    d.startLat = -33.8688;
    d.noFixSeconds = 12;  // its fix starts after the middle sample
    makeDriveAt(south, d);
    // Each answer is a route from where it was asked to start.
    FakeHttpServer osrm([](const QString& path) {
        const QByteArray from = path.section('/', 5).section(';', 0, 0).toLatin1();
        return FakeHttpServer::Reply{200, "application/json",
            R"({"code":"Ok","routes":[{"geometry":{"coordinates":[[)" + from + R"(],[11.6,48.2]]},"legs":[{"steps":[]}]}]})", false, 300};
    });
    auto w = windowRoutedTo<ViewController>(osrm.url(), MpvPlayer::Output::None);
    ASSERT_TRUE(openIndexed(*w, {north, south}));
    LogCapture log;
    w->playTheVideo(0);
    w->playTheVideo(1);  // while the first answer is on its way
    ASSERT_TRUE(waitUntil([&] { return osrm.requests().size() == 2 && !mapOf(*w).overlays().isEmpty(); }, 5000));
    QTest::qWait(400);  // the other answer has come too
    ASSERT_EQ(mapOf(*w).overlays().size(), 1);
    EXPECT_LT(mapOf(*w).overlays().first().points.first().latitude, 0);  // the southern recording's route
    EXPECT_TRUE(log.contains("Dropped the route of a recording no longer open"));
    EXPECT_NEAR(mapOf(*w).centre().latitude, -33.87, 0.05);  // on its fixes, not on 0,0
}

TEST(MapInWindow, InfiniteCoordinatesAreNoFix) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("REC_0001.MP4");
    testgen::DriveOptions d;
    d.seconds = 20;
    // Latitude and longitude read as infinite numbers of the length of real ones.
    makeDriveAt(path, d, [](int, QStringList& f) {
        for (int i : {4, 5}) f[i] = "9e" + QString(f[i].size() - 2, '9');
    });
    ViewController w(MpvPlayer::Output::None);
    ASSERT_TRUE(openIndexed(w, {path}));
    const GeoCoordinate before = mapOf(w).centre();
    w.playTheVideo(0);
    for (int64_t second : {0, 5, 12}) w.tick({second, 1});
    QImage image(mapOf(w).size(), QImage::Format_ARGB32);
    mapOf(w).render(&image);
    EXPECT_TRUE(mapOf(w).annotations().isEmpty());
    EXPECT_EQ(mapOf(w).centre().latitude, before.latitude);
    EXPECT_TRUE(waitUntil([&] { return !mapOf(w).overlays().isEmpty(); }, 3000));  // routing off: the track
    EXPECT_TRUE(mapOf(w).overlays().first().points.isEmpty());
}

// A tile server that is not http or https is never asked: Qt would read a file://
// one itself, and a FIFO there froze the window at start.
TEST(MapInWindow, OnlyAWebTileServerIsAsked) {
    QTemporaryDir tmp;
    QFile tile(tmp.filePath("tile.png"));
    ASSERT_TRUE(tile.open(QIODevice::WriteOnly) && tile.write(picture({256, 256}, Qt::green)) > 0);
    tile.close();
    const QString url = QUrl::fromLocalFile(tile.fileName()).toString();
    qputenv("DASHCAM_TILE_URL", url.toUtf8());
    LogCapture log;
    ViewController w(MpvPlayer::Output::None);
    qputenv("DASHCAM_TILE_URL", "");
    mapOf(w).resize(300, 200);
    QImage image(mapOf(w).size(), QImage::Format_ARGB32);
    mapOf(w).render(&image);  // would ask for the tiles in view
    QTest::qWait(300);
    mapOf(w).render(&image);
    EXPECT_NE(image.pixel(150, 100), QColor(Qt::green).rgb());
    EXPECT_EQ(cornerOf(mapOf(w)), "Map tiles off");
    EXPECT_TRUE(log.contains(("Ignored the server " + url +
                              " from DASHCAM_TILE_URL: only http and https URLs are taken; the service is off").toStdString()));
}
