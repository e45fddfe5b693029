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
#include <QUrl>
#include <QUrlQuery>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace {

const GeoCoordinate kMunich{48.137154, 11.576124};
const GeoCoordinate kVienna{48.208174, 16.373819};

struct Asked {
    int calls = 0;
    bool calledInsideTheRequest = false;
    std::optional<DirectionsAnswer> answer;
};

// Asks and runs the event loop until the answer comes; the long guard only turns a
// hang into a failure.
std::shared_ptr<Asked> ask(OsrmClient& client, GeoCoordinate from = kMunich, GeoCoordinate to = kVienna) {
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

FakeHttpServer::Reply json(const QByteArray& body, int status = 200) {
    return {status, "application/json", body};
}

std::string text(const QString& s) { return s.toStdString(); }

const QByteArray kThreeSteps = R"({"code":"Ok","waypoints":[],"routes":[{
  "geometry":{"type":"LineString","coordinates":[[11.576124,48.137154],[11.6,48.15],[16.373819,48.208174]]},
  "legs":[{"steps":[
    {"name":"Marienplatz","maneuver":{"type":"depart"}},
    {"name":"Main Street","maneuver":{"type":"turn","modifier":"left"}},
    {"name":"","maneuver":{"type":"arrive"}}]}]}]})";

// Two legs, as OSRM gives for a route through a waypoint.
const QByteArray kFourStepsTwoLegs = R"({"code":"Ok","routes":[{
  "geometry":{"type":"LineString","coordinates":[[11.5,48.1],[12.5,48.0],[16.3,48.2]]},
  "legs":[
    {"steps":[{"name":"B2","maneuver":{"type":"depart"}},
              {"name":"","maneuver":{"type":"arrive"}}]},
    {"steps":[{"name":"A1","maneuver":{"type":"on ramp","modifier":"right"}},
              {"name":"","maneuver":{"type":"arrive"}}]}]}]})";

}  // namespace

// Each body as the client reads it: the first route's points and its step texts in order.
TEST(OsrmClientAnswer, RoutesCarryPolylineInLatLonAndTheStepsOfEveryLeg) {
    const char* arrive = "You have arrived at your destination";
    const struct {
        const char* name;
        QByteArray body;
        std::vector<GeoCoordinate> polyline;
        std::vector<const char*> steps;
    } cases[] = {
        {"three steps", kThreeSteps, {kMunich, {48.15, 11.6}, kVienna},
         {"Head out onto Marienplatz", "Turn left onto Main Street", arrive}},
        {"two legs", kFourStepsTwoLegs, {{48.1, 11.5}, {48.0, 12.5}, {48.2, 16.3}},
         {"Head out onto B2", arrive, "Take the ramp onto A1", arrive}},
        {"no route", R"({"code":"Ok","routes":[]})", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHttpServer server([&](const QString&) { return json(c.body); });
        OsrmClient client(server.url());
        const auto asked = ask(client);
        ASSERT_TRUE(asked->answer);
        EXPECT_FALSE(asked->calledInsideTheRequest);
        QTest::qWait(20);  // time for a stray second call or a late deletion
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(asked->calls, 1);
        ASSERT_TRUE(asked->answer->ok()) << text(asked->answer->error);
        ASSERT_EQ(asked->answer->routes.size(), c.polyline.empty() ? 0 : 1);
        if (c.polyline.empty()) continue;
        const Route& route = asked->answer->routes[0];
        ASSERT_EQ(route.polyline.size(), qsizetype(c.polyline.size()));
        for (size_t i = 0; i < c.polyline.size(); ++i) {
            EXPECT_DOUBLE_EQ(route.polyline[i].latitude, c.polyline[i].latitude);
            EXPECT_DOUBLE_EQ(route.polyline[i].longitude, c.polyline[i].longitude);
        }
        ASSERT_EQ(route.steps.size(), qsizetype(c.steps.size()));
        for (size_t i = 0; i < c.steps.size(); ++i) EXPECT_EQ(text(route.steps[i].instructions), c.steps[i]);
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
    EXPECT_EQ(text(url.path()), "/route/v1/driving/151.209290,-33.868820;144.963058,-37.813629");
    const QUrlQuery query(url);
    EXPECT_EQ(text(query.queryItemValue(QStringLiteral("alternatives"))), "false");
    EXPECT_EQ(text(query.queryItemValue(QStringLiteral("steps"))), "true");
    EXPECT_EQ(text(query.queryItemValue(QStringLiteral("overview"))), "full");
    EXPECT_EQ(text(query.queryItemValue(QStringLiteral("geometries"))), "geojson");
    EXPECT_TRUE(request.headers.value("user-agent").startsWith("dashcam-viewer/"))
        << request.headers.value("user-agent").toStdString();
}

TEST(OsrmClientRequest, BaseUrlComesFromTheEnvironment) {
    const QByteArray saved = qgetenv("DASHCAM_ROUTING_URL");
    const bool wasSet = qEnvironmentVariableIsSet("DASHCAM_ROUTING_URL");

    qunsetenv("DASHCAM_ROUTING_URL");
    EXPECT_EQ(text(OsrmClient::baseUrlFromEnvironment()), OsrmClient::kDefaultBaseUrl);
    qputenv("DASHCAM_ROUTING_URL", "http://127.0.0.1:5000");
    EXPECT_EQ(text(OsrmClient::baseUrlFromEnvironment()), "http://127.0.0.1:5000");
    qputenv("DASHCAM_ROUTING_URL", "");
    EXPECT_TRUE(OsrmClient::baseUrlFromEnvironment().isEmpty());

    if (wasSet)
        qputenv("DASHCAM_ROUTING_URL", saved);
    else
        qunsetenv("DASHCAM_ROUTING_URL");
}

// Each failure gives no routes and a description that names what went wrong.
struct FailureCase {
    const char* name;
    FakeHttpServer::Reply reply;
    std::vector<const char*> mentions;
    bool nobodyListens = false;
    bool routingOff = false;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class OsrmClientFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(OsrmClientFailure, GivesAReadableError) {
    const FailureCase& c = GetParam();
    FakeHttpServer server([&c](const QString&) { return c.reply; });
    const QString base = c.routingOff      ? QString()
                         : c.nobodyListens ? QStringLiteral("http://127.0.0.1:%1").arg(FakeHttpServer::unusedPort())
                                           : server.url();
    OsrmClient client(base);
    client.setTimeout(300);

    const auto asked = ask(client);
    ASSERT_TRUE(asked->answer);
    EXPECT_FALSE(asked->calledInsideTheRequest);
    EXPECT_FALSE(asked->answer->ok());
    EXPECT_TRUE(asked->answer->routes.isEmpty());
    for (const char* mention : c.mentions)
        EXPECT_TRUE(asked->answer->error.contains(QLatin1String(mention), Qt::CaseInsensitive))
            << "\"" << mention << "\" missing from: " << text(asked->answer->error);
    EXPECT_EQ(asked->calls, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OsrmClientFailure,
    ::testing::Values(
        FailureCase{"ServerError", {500, "text/html", "<h1>oops</h1>"}, {"HTTP status 500", "Internal Server Error"}},
        FailureCase{"NoRoute",
                    json(R"({"code":"NoRoute","message":"Impossible route between points"})", 400),
                    {"could not route", "400", "NoRoute (Impossible route between points)"}},
        FailureCase{"ErrorCodeWithStatus200", json(R"({"code":"InvalidQuery","message":"Query string malformed"})"),
                    {"could not route", "InvalidQuery (Query string malformed)"}},
        FailureCase{"NotJson", {200, "text/html", "<html>maintenance</html>"}, {"not JSON"}},
        FailureCase{"JsonButNotAnObject", json("[1, 2, 3]"), {"not a JSON object"}},
        FailureCase{"GeometryNotGeoJson",
                    json(R"({"code":"Ok","routes":[{"geometry":"_p~iF~ps|U_ulLnnqC","legs":[]}]})"), {"geometry"}},
        FailureCase{"NeverAnswers", {200, "application/json", "", true}, {"timed out"}},
        // The deadline is for the whole answer, not for a pause between bytes.
        FailureCase{"TricklesPastTheDeadline", {200, "application/json", kThreeSteps, false, 0, 20}, {"timed out"}},
        FailureCase{"BodyBeyondTheCap",
                    json(R"({"code":"Ok","routes":[]})" + QByteArray(OsrmClient::kMaxBodyBytes, ' ')), {"larger than 8 MiB"}},
        FailureCase{"BodyOfUnknownLengthBeyondTheCap",
                    {200, "application/json", R"({"code":"Ok","routes":[]})" + QByteArray(OsrmClient::kMaxBodyBytes, ' '),
                     false, 0, 0, -1, true},
                    {"larger than 8 MiB"}},
        // Refused as the length is announced, not after waiting for the bytes.
        FailureCase{"AnnouncedBeyondTheCap", {200, "application/json", "{", false, 0, 0, OsrmClient::kMaxBodyBytes + 1},
                    {"larger than"}},
        FailureCase{"CoordinateOffTheEarth",
                    json(R"({"code":"Ok","routes":[{"geometry":{"coordinates":[[11.5,48.1],[11.6,95.0]]},"legs":[]}]})"),
                    {"geometry"}},
        FailureCase{"ConnectionRefused", {}, {"Could not reach", "refused"}, true},
        FailureCase{"RoutingOff", {}, {"turned off"}, false, true}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

struct InstructionCase {
    const char* step;  // an OSRM step object as JSON
    const char* instruction;
};

void PrintTo(const InstructionCase& c, std::ostream* os) { *os << c.step; }

class OsrmInstruction : public ::testing::TestWithParam<InstructionCase> {};

TEST_P(OsrmInstruction, ReadsAsEnglish) {
    const QJsonDocument step = QJsonDocument::fromJson(GetParam().step);
    ASSERT_TRUE(step.isObject()) << GetParam().step;
    EXPECT_EQ(text(routeanswer::instructionFor(step.object())), GetParam().instruction);
}

INSTANTIATE_TEST_SUITE_P(
    Maneuvers, OsrmInstruction,
    ::testing::Values(
        InstructionCase{R"({"name":"Main Street","maneuver":{"type":"turn","modifier":"left"}})",
                        "Turn left onto Main Street"},
        InstructionCase{R"({"name":"Elm Road","maneuver":{"type":"turn","modifier":"sharp right"}})",
                        "Turn sharp right onto Elm Road"},
        InstructionCase{R"({"name":"","maneuver":{"type":"turn","modifier":"right"}})", "Turn right"},
        InstructionCase{R"({"name":"Main Street","maneuver":{"type":"turn","modifier":"straight"}})",
                        "Continue straight onto Main Street"},
        InstructionCase{R"({"name":"Main Street","maneuver":{"type":"turn","modifier":"uturn"}})",
                        "Make a U-turn onto Main Street"},
        InstructionCase{R"({"name":"A1","maneuver":{"type":"new name","modifier":"straight"}})",
                        "Continue straight onto A1"},
        InstructionCase{R"({"name":"A1","maneuver":{"type":"new name"}})", "Continue onto A1"},
        InstructionCase{R"({"name":"A1","maneuver":{"type":"continue","modifier":"slight left"}})",
                        "Continue onto A1"},
        InstructionCase{R"({"name":"","ref":"A1","maneuver":{"type":"continue"}})", "Continue onto A1"},
        InstructionCase{R"({"name":"","maneuver":{"type":"arrive","modifier":"left"}})",
                        "You have arrived at your destination"},
        InstructionCase{R"({"name":"Station Road","maneuver":{"type":"depart","modifier":"left"}})",
                        "Head out onto Station Road"},
        InstructionCase{R"({"name":"","maneuver":{"type":"depart"}})", "Depart"},
        InstructionCase{R"({"name":"M4","maneuver":{"type":"merge","modifier":"slight left"}})", "Merge onto M4"},
        InstructionCase{R"({"name":"","maneuver":{"type":"merge"}})", "Merge"},
        InstructionCase{R"({"name":"I-5","maneuver":{"type":"on ramp","modifier":"right"}})",
                        "Take the ramp onto I-5"},
        InstructionCase{R"({"name":"Exit 12","maneuver":{"type":"off ramp","modifier":"slight right"}})",
                        "Take the exit onto Exit 12"},
        InstructionCase{R"({"name":"","maneuver":{"type":"off ramp"}})", "Take the exit"},
        InstructionCase{R"({"name":"B27","maneuver":{"type":"fork","modifier":"left"}})", "Keep left onto B27"},
        InstructionCase{R"({"name":"B27","maneuver":{"type":"fork","modifier":"slight right"}})",
                        "Keep right onto B27"},
        InstructionCase{R"({"name":"Harbour Way","maneuver":{"type":"end of road","modifier":"right"}})",
                        "Turn right onto Harbour Way"},
        InstructionCase{R"({"name":"Ring","maneuver":{"type":"roundabout","modifier":"right","exit":2}})",
                        "Enter the roundabout and take exit 2 onto Ring"},
        InstructionCase{R"({"name":"","maneuver":{"type":"rotary","exit":3}})",
                        "Enter the roundabout and take exit 3"},
        InstructionCase{R"({"name":"Ring","maneuver":{"type":"exit roundabout","modifier":"right"}})",
                        "Exit the roundabout onto Ring"},
        InstructionCase{R"({"name":"","maneuver":{"type":"exit rotary"}})", "Exit the roundabout"},
        InstructionCase{R"({"name":"Hill Street","maneuver":{"type":"teleport","modifier":"left"}})",
                        "Continue onto Hill Street"},
        InstructionCase{R"({"name":"","maneuver":{"type":"notification"}})", "Continue"},
        InstructionCase{R"({})", "Continue"}));

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
