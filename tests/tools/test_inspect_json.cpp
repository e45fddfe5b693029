// The inspect command's JSON for records the core filled from generated files.

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include "Extract_Subtitle.h"
#include "InspectJson.h"
#include "ToolTestSupport.h"

using namespace tooltest;
using telemetry::Class_Video_Info;
using telemetry_cli::inspectJson;
using telemetry_cli::isoUtcMillis;

namespace {

Class_Video_Info scan(const std::string& path) {
    Class_Video_Info record;
    telemetry::Extract_Subtitle().ExtractSubtitle(record, path);
    return record;
}

// Numbers must come out as JSON numbers with the exact unsigned value.
void expectNumber(const QJsonObject& o, const char* key, qint64 expected) {
    SCOPED_TRACE(key);
    ASSERT_TRUE(o.contains(key));
    ASSERT_TRUE(o[key].isDouble());
    EXPECT_EQ(o[key].toInteger(), expected);
}

std::vector<std::string> strings(const QJsonValue& v) {
    std::vector<std::string> out;
    for (const QJsonValue& e : v.toArray()) out.push_back(str(e));
    return out;
}

const char* const kRecordFields[] = {
    "filepath", "filename", "filenameWithoutExtension", "fileDateYMD", "duration", "timescale",
    "duration_second", "gapSubtitlePerSecond", "lastPosition", "Start_Lat", "Start_Lon", "End_Lat",
    "End_Lon", "Center_Lat", "Center_Lon", "sign_start_lat", "sign_start_lon", "sign_end_lat",
    "sign_end_lon", "sign_center_lat", "sign_center_lon", "sign_maintain_lat", "sign_maintain_lon",
    "fileDate", "fileSize", "addrOfmoov", "addrOfAmbarella_EXT", "addrOfMVHD", "addrOfSTSZ",
    "addrOfSTCO", "num_subtitle", "array_addrOfSubtitle", "array_lengthOfSubtitle",
    "array_subtitle_final", "array_SubtileInfo", "array_coordinate_set", "isSupportSubtitle"};

const char* const kListFields[] = {"array_addrOfSubtitle", "array_lengthOfSubtitle", "array_subtitle_final",
                                   "array_SubtileInfo", "array_coordinate_set"};

const QRegularExpression kIsoMillis(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)");
const QRegularExpression kScanDate(R"(^\d{4}/\d\d/\d\d$)");

class InspectJson : public ScratchTest {};

}  // namespace

TEST_F(InspectJson, CompletedScanShowsEveryFieldWithItsValue) {
    // Twelve samples in the south-west, lat 450000 + k and lon 1030000 + k.
    std::vector<std::string> lines;
    for (int k = 0; k < 12; ++k)
        lines.push_back(sampleLine(std::to_string(450000 + k), std::to_string(1030000 + k), "S", "W"));
    testgen::SyntheticLayout layout;
    const std::string path = write("REC_0001.rear.MP4", recording(lines, 12), &layout);
    const QJsonObject o = inspectJson(scan(path));

    QSet<QString> expectedKeys;
    for (const char* name : kRecordFields) expectedKeys.insert(name);
    const QStringList keys = o.keys();
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()), expectedKeys);

    EXPECT_EQ(str(o["filepath"]), path);
    EXPECT_EQ(str(o["filename"]), "REC_0001.rear.MP4");
    EXPECT_EQ(str(o["filenameWithoutExtension"]), "REC_0001");
    EXPECT_EQ(str(o["fileDateYMD"]), "2016/05/12");
    const std::pair<const char*, qint64> numbers[] = {
        {"duration", 12000}, {"timescale", 1000}, {"duration_second", 12}, {"gapSubtitlePerSecond", 1},
        {"lastPosition", 2}, {"fileSize", qint64(layout.fileSize)}, {"addrOfmoov", qint64(layout.mdatSize)},
        {"addrOfMVHD", qint64(layout.mvhdTypeOffset)}, {"addrOfAmbarella_EXT", qint64(layout.markerOffset)},
        {"addrOfSTSZ", qint64(layout.stszCountOffset)}, {"num_subtitle", 12}, {"isSupportSubtitle", 1}};
    for (const auto& [key, value] : numbers) expectNumber(o, key, value);
    for (const char* sign : {"sign_start_lat", "sign_start_lon", "sign_end_lat", "sign_end_lon", "sign_center_lat",
                             "sign_center_lon", "sign_maintain_lat", "sign_maintain_lon"})
        expectNumber(o, sign, 1);
    EXPECT_EQ(str(o["Start_Lat"]), "450000");
    EXPECT_EQ(str(o["Start_Lon"]), "1030000");
    EXPECT_EQ(str(o["Center_Lat"]), "450006");
    EXPECT_EQ(str(o["Center_Lon"]), "1030006");
    EXPECT_EQ(str(o["End_Lat"]), "450011");
    EXPECT_EQ(str(o["End_Lon"]), "1030011");
    EXPECT_TRUE(kIsoMillis.match(o["fileDate"].toString()).hasMatch()) << str(o["fileDate"]);

    std::vector<std::string> offsets, sizes;
    for (size_t k = 0; k < 12; ++k) {
        offsets.push_back(std::to_string(layout.sampleOffsets[k]));
        sizes.push_back(std::to_string(layout.sampleSizes[k]));
    }
    EXPECT_EQ(strings(o["array_addrOfSubtitle"]), offsets);
    EXPECT_EQ(strings(o["array_lengthOfSubtitle"]), sizes);

    // The stored text is the sample's bytes whole: the length prefix, NUL included.
    const QJsonArray texts = o["array_subtitle_final"].toArray();
    ASSERT_EQ(texts.size(), 12);
    for (int k = 0; k < 12; ++k) {
        const std::string expected = testgen::timedTextSample(lines[size_t(k)]);
        EXPECT_EQ(texts[k].toString().toUtf8().toStdString(), expected) << k;
    }

    const QJsonArray samples = o["array_SubtileInfo"].toArray();
    ASSERT_EQ(samples.size(), 12);
    const QJsonObject s6 = samples[6].toObject();
    const QJsonObject expected6{{"gx", "0.01"},    {"gy", "-0.02"}, {"gz", "0.98"},    {"lon", "1030006"},
                                {"lat", "450006"}, {"heading", "90"}, {"speed", "36.0"}, {"year", "2016"},
                                {"month", "05"},   {"day", "12"},    {"hour", "09"},    {"min", "03"},
                                {"second", "07"},  {"NS", "S"},      {"WE", "W"}};
    EXPECT_EQ(s6, expected6);

    EXPECT_EQ(strings(o["array_coordinate_set"]),
              (std::vector<std::string>{"450000,1030000,S,W", "450005,1030005,S,W", "450010,1030010,S,W",
                                        "450011,1030011,S,W"}));
}

TEST_F(InspectJson, ScanEndedBeforeTheListsShowsThemNull) {
    const auto lines = testgen::simulateDrive({.seconds = 10});
    testgen::SyntheticLayout layout;
    testgen::SyntheticOptions tiny = recording(lines, 10);
    tiny.truncateAt = 60;  // shorter than the 80-byte header
    testgen::SyntheticOptions truncated = recording(lines, 10);
    truncated.truncateAt = 4000;  // the movie box is gone
    testgen::SyntheticOptions noLength = recording(lines, 10);
    noLength.duration = 0;  // the scan stops at the movie header

    struct Case {
        const char* name;
        const testgen::SyntheticOptions& options;
    };
    for (const Case& c : {Case{"TINY.MP4", tiny}, Case{"CUT.MP4", truncated}, Case{"ZERO.MP4", noLength}}) {
        SCOPED_TRACE(c.name);
        const std::string path = write(c.name, c.options, &layout);
        const QJsonObject o = inspectJson(scan(path));
        EXPECT_EQ(o.size(), int(std::size(kRecordFields)));
        expectNumber(o, "isSupportSubtitle", 0);
        for (const char* list : kListFields) EXPECT_TRUE(o[list].isNull()) << list;
        for (const char* text : {"Start_Lat", "End_Lon", "Center_Lat"}) EXPECT_TRUE(o[text].isNull()) << text;
        EXPECT_EQ(str(o["filename"]), c.name);
        EXPECT_TRUE(kScanDate.match(o["fileDateYMD"].toString()).hasMatch()) << str(o["fileDateYMD"]);
        EXPECT_TRUE(kIsoMillis.match(o["fileDate"].toString()).hasMatch());
        expectNumber(o, "fileSize", qint64(std::min<uint64_t>(layout.fileSize, c.options.truncateAt.value_or(~0ull))));
    }
}

TEST_F(InspectJson, DamagedTablesShowWhatWasReadBeforeTheFailure) {
    std::vector<std::string> lines;
    for (int k = 0; k < 8; ++k) lines.push_back(sampleLine(std::to_string(480000 + k), "115000"));
    testgen::SyntheticOptions o = recording(lines, 8);
    o.offsetOverrides = {{3, 0xFFFFFFFFu}};  // sample 3 lies beyond the file
    const QJsonObject j = inspectJson(scan(write("BAD.MP4", o)));

    expectNumber(j, "isSupportSubtitle", 0);
    expectNumber(j, "num_subtitle", 8);
    const QJsonArray offsets = j["array_addrOfSubtitle"].toArray();
    ASSERT_EQ(offsets.size(), 8);
    EXPECT_EQ(str(offsets[3]), "-1");  // "%d" of 0xFFFFFFFF
    EXPECT_EQ(j["array_lengthOfSubtitle"].toArray().size(), 8);
    EXPECT_EQ(j["array_subtitle_final"].toArray().size(), 3);
    EXPECT_EQ(j["array_SubtileInfo"].toArray().size(), 3);
    EXPECT_EQ(strings(j["array_coordinate_set"]), std::vector<std::string>{"480000,115000,N,E"});

    // A media data box size above 2^31 stays an unsigned number.
    testgen::SyntheticLayout layout;
    std::vector<uint8_t> bytes = testgen::buildSynthetic(recording(lines, 8), &layout);
    for (int i = 0; i < 4; ++i) bytes[layout.mdatOffset + size_t(i)] = uint8_t(0xFFFFFFF0u >> (24 - 8 * i));
    const QJsonObject big = inspectJson(scan(writeBytes("HUGE.MP4", bytes)));
    expectNumber(big, "addrOfmoov", 4294967280);
    expectNumber(big, "isSupportSubtitle", 0);
}

TEST_F(InspectJson, WrittenARecordAtATimeAsQtWritesTheWholeArray) {
    std::vector<std::string> lines;
    for (int k = 0; k < 7; ++k) lines.push_back(sampleLine(std::to_string(480000 + k), "115000", "N", "E", "", ""));
    testgen::SyntheticOptions cut = recording(lines, 7);
    cut.truncateAt = 60;
    testgen::SyntheticOptions damaged = recording(lines, 7);
    damaged.offsetOverrides = {{3, 0xFFFFFFFFu}};
    const Class_Video_Info records[] = {scan(write("A.MP4", recording(lines, 7))), scan(write("CUT.MP4", cut)),
                                        scan(write("BAD.MP4", damaged)), scan(write("EMPTY.MP4", recording({}, 7)))};
    for (size_t count : {size_t(1), std::size(records)}) {
        SCOPED_TRACE(count);
        QByteArray streamed;
        QBuffer out(&streamed);
        out.open(QIODevice::WriteOnly);
        telemetry_cli::InspectWriter writer(out);
        QJsonArray whole;
        for (size_t i = 0; i < count; ++i) {
            writer.add(records[i]);
            whole.append(inspectJson(records[i]));
        }
        writer.finish();
        EXPECT_EQ(streamed.toStdString(), QJsonDocument(whole).toJson(QJsonDocument::Indented).toStdString());
    }
}

TEST(InspectJsonDate, UtcWithMillisecondsRoundedDown) {
    using namespace std::chrono;
    const sys_days day = 2026y / December / 6;
    EXPECT_EQ(isoUtcMillis(day + 6h + 33min + 22s + 123456us).toStdString(), "2026-12-06T06:33:22.123Z");
    EXPECT_EQ(isoUtcMillis(sys_days(2000y / February / 29)).toStdString(), "2000-02-29T00:00:00.000Z");
    EXPECT_EQ(isoUtcMillis(sys_days(1970y / January / 1) - 1us).toStdString(), "1969-12-31T23:59:59.999Z");
}
