// The routing client against a local fake OSRM server: answers, failures, the request
// it sends, and the English instructions it composes.
#include <gtest/gtest.h>

#include "FakeHttpServer.h"
#include "OsrmClient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QLocale>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

namespace {

struct Asked {
    int calls = 0;
    bool calledInsideTheRequest = false;
    std::optional<DirectionsAnswer> answer;
};

// Asks and runs the event loop until the answer comes; the guard only turns a hang into a failure.
std::shared_ptr<Asked> ask(OsrmClient& client, GeoCoordinate from = {48.137154, 11.576124},
                           GeoCoordinate to = {48.208174, 16.373819}) {
    auto asked = std::make_shared<Asked>();
    auto loop = std::make_shared<QEventLoop>();
    client.calculateDirections(from, to, [asked, loop](const DirectionsAnswer& answer) {
        ++asked->calls;
        asked->answer = answer;
        loop->quit();
    });
    asked->calledInsideTheRequest = asked->calls > 0;
    if (!asked->answer) {
        QTimer::singleShot(5000, loop.get(), &QEventLoop::quit);
        loop->exec();
    }
    return asked;
}

FakeHttpServer::Reply json(const QByteArray& body, int status = 200) { return {status, "application/json", body}; }

const QByteArray kThreeSteps = R"({"code":"Ok","waypoints":[],"routes":[{
  "geometry":{"type":"LineString","coordinates":[[11.576124,48.137154],[11.6,48.15],[16.373819,48.208174]]},
  "legs":[{"steps":[{"name":"Marienplatz","maneuver":{"type":"depart"}},
    {"name":"Main Street","maneuver":{"type":"turn","modifier":"left"}},{"name":"","maneuver":{"type":"arrive"}}]}]}]})";

}  // namespace

// Each body as the client reads it: the first route's points (lat,lon) and the step texts of every leg in order.
TEST(OsrmClientAnswer, RoutesCarryPolylineInLatLonAndTheStepsOfEveryLeg) {
    const struct {
        QByteArray body;
        QStringList polyline, steps;
    } cases[] = {
        {kThreeSteps, {"48.137154,11.576124", "48.15,11.6", "48.208174,16.373819"},
         {"Head out onto Marienplatz", "Turn left onto Main Street", "You have arrived at your destination"}},
        {R"({"code":"Ok","routes":[{"geometry":{"coordinates":[[11.5,48.1],[16.3,48.2]]},"legs":[
           {"steps":[{"name":"B2","maneuver":{"type":"depart"}}]},
           {"steps":[{"name":"A1","maneuver":{"type":"on ramp","modifier":"right"}}]}]}]})",
         {"48.1,11.5", "48.2,16.3"}, {"Head out onto B2", "Take the ramp onto A1"}},
        {R"({"code":"Ok","routes":[]})", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.left(60).toStdString());
        FakeHttpServer server([&](const QString&) { return json(c.body); });
        OsrmClient client(server.url());
        const auto asked = ask(client);
        ASSERT_TRUE(asked->answer);
        EXPECT_FALSE(asked->calledInsideTheRequest);
        QTest::qWait(20);  // time for a stray second call or a late deletion
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(asked->calls, 1);
        ASSERT_TRUE(asked->answer->ok()) << asked->answer->error.toStdString();
        ASSERT_EQ(asked->answer->routes.size(), c.polyline.isEmpty() ? 0 : 1);
        QStringList polyline, steps;
        for (const Route& route : asked->answer->routes) {
            for (const GeoCoordinate& p : route.polyline)
                polyline << QString::number(p.latitude, 'g', 12) + ',' + QString::number(p.longitude, 'g', 12);
            for (const auto& s : route.steps) steps << s.instructions;
        }
        EXPECT_EQ((QList<QStringList>{polyline, steps}), (QList<QStringList>{c.polyline, c.steps}));
    }
}

TEST(OsrmClientRequest, PathHoldsLonLatPairsAndTheQueryWhateverTheLocale) {
    FakeHttpServer server([](const QString&) { return json(kThreeSteps); });
    // A comma decimal separator must not leak into the coordinates.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    OsrmClient client(server.url() + QStringLiteral("/"));
    const auto asked = ask(client, {-33.868820, 151.209290}, {-37.813629, 144.963058});
    QLocale::setDefault(previous);
    ASSERT_TRUE(asked->answer);
    ASSERT_EQ(server.requests().size(), 1);
    const FakeHttpServer::Request& request = server.requests()[0];
    EXPECT_EQ(request.method, "GET");
    const QUrl url(request.path);
    EXPECT_EQ(url.path(), "/route/v1/driving/151.209290,-33.868820;144.963058,-37.813629");
    EXPECT_EQ(QUrlQuery(url).toString(), "alternatives=false&steps=true&overview=full&geometries=geojson");
    EXPECT_TRUE(request.headers.value("user-agent").startsWith("dashcam-viewer/")) << request.headers.value("user-agent").toStdString();
}

// Each failure gives no routes and a description that names what went wrong.
TEST(OsrmClientFailure, GivesAReadableError) {
    enum Base { Server, NobodyListens, RoutingOff };
    const QByteArray noRoutes = R"({"code":"Ok","routes":[]})", big(OsrmClient::kMaxBodyBytes, ' ');
    const struct {
        const char* name;
        FakeHttpServer::Reply reply;
        QStringList mentions;
        Base base = Server;
        // Short only where the deadline is the point: a loaded machine moves 8 MiB
        // through loopback slower than that.
        int timeoutMs = 10000;
    } cases[] = {
        {"server error", {500, "text/html", "<h1>oops</h1>"}, {"HTTP status 500", "Internal Server Error"}},
        {"no route", json(R"({"code":"NoRoute","message":"Impossible route between points"})", 400),
         {"could not route", "400", "NoRoute (Impossible route between points)"}},
        {"error code with status 200", json(R"({"code":"InvalidQuery","message":"Query string malformed"})"),
         {"could not route", "InvalidQuery (Query string malformed)"}},
        {"not JSON", {200, "text/html", "<html>maintenance</html>"}, {"not JSON"}},
        {"JSON but not an object", json("[1, 2, 3]"), {"not a JSON object"}},
        {"geometry not GeoJSON", json(R"({"code":"Ok","routes":[{"geometry":"_p~iF~ps|U_ulLnnqC","legs":[]}]})"), {"geometry"}},
        {"coordinate off the Earth",
         json(R"({"code":"Ok","routes":[{"geometry":{"coordinates":[[11.5,48.1],[11.6,95.0]]},"legs":[]}]})"), {"geometry"}},
        {"never answers", {200, "application/json", "", true}, {"timed out"}, Server, 300},
        // The deadline is for the whole answer, not for a pause between bytes.
        {"trickles past the deadline", {200, "application/json", kThreeSteps, false, 0, 20}, {"timed out"}, Server, 300},
        {"body beyond the cap", json(noRoutes + big), {"larger than 8 MiB"}},
        {"body of unknown length beyond the cap", {200, "application/json", noRoutes + big, false, 0, 0, -1, true}, {"larger than 8 MiB"}},
        // Refused as the length is announced, not after waiting for the bytes.
        {"announced beyond the cap", {200, "application/json", "{", false, 0, 0, OsrmClient::kMaxBodyBytes + 1}, {"larger than"}},
        {"connection refused", {}, {"Could not reach", "refused"}, NobodyListens},
        {"routing off", {}, {"turned off"}, RoutingOff},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHttpServer server([&c](const QString&) { return c.reply; });
        OsrmClient client(c.base == RoutingOff      ? QString()
                          : c.base == NobodyListens ? QStringLiteral("http://127.0.0.1:%1").arg(FakeHttpServer::unusedPort())
                                                    : server.url());
        client.setTimeout(c.timeoutMs);
        const auto asked = ask(client);
        ASSERT_TRUE(asked->answer);
        EXPECT_FALSE(asked->calledInsideTheRequest);
        EXPECT_FALSE(asked->answer->ok());
        EXPECT_TRUE(asked->answer->routes.isEmpty());
        for (const QString& mention : c.mentions)
            EXPECT_TRUE(asked->answer->error.contains(mention, Qt::CaseInsensitive))
                << mention.toStdString() << " missing from: " << asked->answer->error.toStdString();
        EXPECT_EQ(asked->calls, 1);
    }
}

TEST(OsrmInstruction, ReadsAsEnglish) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"name":"Main Street","maneuver":{"type":"turn","modifier":"left"}})", "Turn left onto Main Street"},
        {R"({"name":"","maneuver":{"type":"turn","modifier":"right"}})", "Turn right"},
        {R"({"name":"Main Street","maneuver":{"type":"turn","modifier":"straight"}})", "Continue straight onto Main Street"},
        {R"({"name":"Main Street","maneuver":{"type":"turn","modifier":"uturn"}})", "Make a U-turn onto Main Street"},
        {R"({"name":"A1","maneuver":{"type":"new name","modifier":"straight"}})", "Continue straight onto A1"},
        {R"({"name":"A1","maneuver":{"type":"new name"}})", "Continue onto A1"},
        {R"({"name":"A1","maneuver":{"type":"continue","modifier":"slight left"}})", "Continue onto A1"},
        {R"({"name":"","ref":"A1","maneuver":{"type":"continue"}})", "Continue onto A1"},
        {R"({"name":"","maneuver":{"type":"arrive","modifier":"left"}})", "You have arrived at your destination"},
        {R"({"name":"Station Road","maneuver":{"type":"depart","modifier":"left"}})", "Head out onto Station Road"},
        {R"({"name":"","maneuver":{"type":"depart"}})", "Depart"},
        {R"({"name":"M4","maneuver":{"type":"merge","modifier":"slight left"}})", "Merge onto M4"},
        {R"({"name":"","maneuver":{"type":"merge"}})", "Merge"},
        {R"({"name":"I-5","maneuver":{"type":"on ramp","modifier":"right"}})", "Take the ramp onto I-5"},
        {R"({"name":"Exit 12","maneuver":{"type":"off ramp","modifier":"slight right"}})", "Take the exit onto Exit 12"},
        {R"({"name":"","maneuver":{"type":"off ramp"}})", "Take the exit"},
        {R"({"name":"B27","maneuver":{"type":"fork","modifier":"left"}})", "Keep left onto B27"},
        {R"({"name":"B27","maneuver":{"type":"fork","modifier":"slight right"}})", "Keep right onto B27"},
        {R"({"name":"Harbour Way","maneuver":{"type":"end of road","modifier":"right"}})", "Turn right onto Harbour Way"},
        {R"({"name":"Ring","maneuver":{"type":"roundabout","modifier":"right","exit":2}})",
         "Enter the roundabout and take exit 2 onto Ring"},
        {R"({"name":"","maneuver":{"type":"rotary","exit":3}})", "Enter the roundabout and take exit 3"},
        {R"({"name":"Ring","maneuver":{"type":"exit roundabout","modifier":"right"}})", "Exit the roundabout onto Ring"},
        {R"({"name":"","maneuver":{"type":"exit rotary"}})", "Exit the roundabout"},
        {R"({"name":"Hill Street","maneuver":{"type":"teleport","modifier":"left"}})", "Continue onto Hill Street"},
        {R"({})", "Continue"},
    };
    for (const auto& [step, instruction] : cases) {
        SCOPED_TRACE(step);
        EXPECT_EQ(routeanswer::instructionFor(QJsonDocument::fromJson(step).object()), instruction);
    }
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
