#include <QBuffer>
#include <QJsonObject>
#include <QRegularExpression>

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

QJsonArray strings(const auto& values) {
    QJsonArray out;
    for (const auto& v : values) out.append(QString::fromStdString(std::string(v)));
    return out;
}

const QRegularExpression kIsoMillis(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)");
const QRegularExpression kScanDate(R"(^\d{4}/\d\d/\d\d$)");

class InspectJson : public ScratchTest {};

}  // namespace

// Every field, and nothing else, with its value: numbers as JSON numbers, texts as
// strings, a sample's text as its bytes whole (the length prefix, NUL included).
TEST_F(InspectJson, CompletedScanShowsEveryFieldWithItsValue) {
    std::vector<std::string> lines, texts, offsets, sizes;
    for (int k = 0; k < 12; ++k) lines.push_back(sampleLine(std::to_string(450000 + k), std::to_string(1030000 + k), "S", "W"));
    testgen::SyntheticLayout layout;
    const std::string path = write("REC_0001.rear.MP4", recording(lines, 12), &layout);
    const QJsonObject o = inspectJson(scan(path));
    EXPECT_TRUE(kIsoMillis.match(o["fileDate"].toString()).hasMatch()) << str(o["fileDate"]);
    for (size_t k = 0; k < 12; ++k) {
        texts.push_back(testgen::timedTextSample(lines[k]));
        offsets.push_back(std::to_string(layout.sampleOffsets[k]));
        sizes.push_back(std::to_string(layout.sampleSizes[k]));
    }
    const auto n = [](uint64_t v) { return QJsonValue(qint64(v)); };
    QJsonObject expected{
        {"filepath", QString::fromStdString(path)}, {"filename", "REC_0001.rear.MP4"}, {"filenameWithoutExtension", "REC_0001"},
        {"fileDateYMD", "2016/05/12"}, {"fileDate", o["fileDate"]}, {"duration", 12000}, {"timescale", 1000},
        {"duration_second", 12}, {"gapSubtitlePerSecond", 1}, {"lastPosition", 2}, {"fileSize", n(layout.fileSize)},
        {"addrOfmoov", n(layout.mdatSize)}, {"addrOfMVHD", n(layout.mvhdTypeOffset)}, {"addrOfAmbarella_EXT", n(layout.markerOffset)},
        {"addrOfSTSZ", n(layout.stszCountOffset)}, {"addrOfSTCO", n(layout.stcoEntriesOffset)}, {"num_subtitle", 12},
        {"isSupportSubtitle", 1}, {"Start_Lat", "450000"}, {"Start_Lon", "1030000"}, {"Center_Lat", "450006"},
        {"Center_Lon", "1030006"}, {"End_Lat", "450011"}, {"End_Lon", "1030011"},
        {"array_addrOfSubtitle", strings(offsets)}, {"array_lengthOfSubtitle", strings(sizes)},
        {"array_subtitle_final", strings(texts)},
        {"array_coordinate_set", QJsonArray{"450000,1030000,S,W", "450005,1030005,S,W", "450010,1030010,S,W", "450011,1030011,S,W"}}};
    for (const char* sign : {"sign_start_lat", "sign_start_lon", "sign_end_lat", "sign_end_lon", "sign_center_lat",
                             "sign_center_lon", "sign_maintain_lat", "sign_maintain_lon"})
        expected[sign] = 1;
    QJsonArray samples;
    for (int k = 0; k < 12; ++k) {
        const QString lon = QString::number(1030000 + k), lat = QString::number(450000 + k);
        samples.append(QJsonObject{{"gx", "0.01"}, {"gy", "-0.02"}, {"gz", "0.98"}, {"lon", lon}, {"lat", lat}, {"heading", "90"},
                                   {"speed", "36.0"}, {"year", "2016"}, {"month", "05"}, {"day", "12"}, {"hour", "09"},
                                   {"min", "03"}, {"second", "07"}, {"NS", "S"}, {"WE", "W"}});
    }
    expected["array_SubtileInfo"] = samples;
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it)
        EXPECT_EQ(o[it.key()], it.value()) << it.key().toStdString();
    EXPECT_EQ(o.size(), expected.size());
}

// A scan that ended before the lists shows them null; damaged tables show what was
// read before the failure; every record, a ten-hour one and texts that JSON must
// escape or that are not UTF-8 included, streams out as Qt writes the whole array.
TEST_F(InspectJson, DamagedRecordsAndTheStreamedArray) {
    std::vector<std::string> lines;
    for (int k = 0; k < 8; ++k) lines.push_back(sampleLine(std::to_string(480000 + k), "115000", "N", "E", "", ""));
    testgen::SyntheticOptions tiny = recording(lines, 8), cut = recording(lines, 8), zero = recording(lines, 8);
    testgen::SyntheticOptions damaged = recording(lines, 8);
    tiny.truncateAt = 60;  // shorter than the 80-byte header
    cut.truncateAt = 4000;  // the movie box is gone
    zero.duration = 0;  // the scan stops at the movie header
    damaged.offsetOverrides = {{3, 0xFFFFFFFFu}};  // sample 3 lies beyond the file
    testgen::SyntheticLayout layout;
    std::vector<uint8_t> huge = testgen::buildSynthetic(recording(lines, 8), &layout);
    for (int i = 0; i < 4; ++i) huge[layout.mdatOffset + size_t(i)] = uint8_t(0xFFFFFFF0u >> (24 - 8 * i));
    testgen::writeFileAtomically((dir / "HUGE.MP4").string(), huge);
    std::vector<std::string> tenHours;
    for (int k = 0; k < 36000; ++k) tenHours.push_back(sampleLine(std::to_string(480000 + k % 977), "115000"));
    testgen::SyntheticOptions longDrive = recording(tenHours, 36000);
    longDrive.sparseVideo = true;
    // The scan takes only UTF-8 samples; a file name can be any bytes.
    const std::string odd = "q\"\\\x01\x1f\x7f\xc3\xa9\xf0\x9f\x9a\x97\t\n\r\b\f/";
    const std::string oddName = "q\"\\\x01\xff\xc3\xa9\xe2\x82\x7f\n.MP4";
    const std::vector<std::string> oddLines(8, sampleLine("480000", "115000", "N", "E", odd, odd));
    const Class_Video_Info records[] = {scan(write("A.MP4", recording(lines, 8))), scan(write("TINY.MP4", tiny)),
                                        scan(write("BAD.MP4", damaged)), scan(write("EMPTY.MP4", recording({}, 8))),
                                        scan((dir / "HUGE.MP4").string()), scan(write("CUT.MP4", cut)),
                                        scan(write("ZERO.MP4", zero)), scan(write("LONG.MP4", longDrive)),
                                        scan(write(oddName, recording(oddLines, 8)))};
    ASSERT_EQ(records[7].array_SubtileInfo.value_or(std::vector<telemetry::Class_Subtitle_Info>()).size(), 36000u);
    ASSERT_TRUE(records[8].array_subtitle_final && records[8].array_subtitle_final->size() == 8);
    ASSERT_EQ(records[8].array_SubtileInfo.value_or(std::vector<telemetry::Class_Subtitle_Info>()).size(), 8u);
    for (const size_t ended : {1, 5, 6}) {
        const QJsonObject o = inspectJson(records[ended]);
        SCOPED_TRACE(str(o["filename"]));
        EXPECT_EQ(std::tuple(o.size(), o["isSupportSubtitle"], o["fileSize"].toInteger()),
                  std::tuple(37, 0, qint64(fs::file_size(str(o["filepath"])))));
        for (const char* key : {"array_addrOfSubtitle", "array_lengthOfSubtitle", "array_subtitle_final",
                                "array_SubtileInfo", "array_coordinate_set", "Start_Lat", "End_Lon", "Center_Lat"})
            EXPECT_TRUE(o[key].isNull()) << key;
        EXPECT_TRUE(kScanDate.match(o["fileDateYMD"].toString()).hasMatch()) << str(o["fileDateYMD"]);
        EXPECT_TRUE(kIsoMillis.match(o["fileDate"].toString()).hasMatch());
    }

    const QJsonObject bad = inspectJson(records[2]);
    EXPECT_EQ(std::pair(bad["isSupportSubtitle"], bad["num_subtitle"]), std::pair(QJsonValue(0), QJsonValue(8)));
    EXPECT_EQ(bad["array_addrOfSubtitle"][3], "-1");  // "%d" of 0xFFFFFFFF
    for (const auto& [list, size] : {std::pair("array_addrOfSubtitle", 8), {"array_lengthOfSubtitle", 8},
                                     {"array_subtitle_final", 3}, {"array_SubtileInfo", 3}})
        EXPECT_EQ(bad[list].toArray().size(), size) << list;
    EXPECT_EQ(bad["array_coordinate_set"], QJsonArray{"480000,115000,N,E"});
    // A media data box size above 2^31 stays an unsigned number.
    const QJsonObject big = inspectJson(records[4]);
    EXPECT_EQ(std::pair(big["addrOfmoov"], big["isSupportSubtitle"]),
              std::pair(QJsonValue(qint64(4294967280)), QJsonValue(0)));

    for (size_t count : {size_t(0), size_t(1), std::size(records)}) {
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
        const QByteArray expected = QJsonDocument(whole).toJson(QJsonDocument::Indented);
        // Where they part, not both texts whole: the ten-hour one runs to 50 MB.
        const auto [at, _] = std::ranges::mismatch(streamed, expected);
        const qsizetype from = std::max<qsizetype>(0, (at - streamed.begin()) - 200);
        EXPECT_EQ(streamed.mid(from, 400).toStdString(), expected.mid(from, 400).toStdString());
        EXPECT_EQ(streamed.size(), expected.size());
    }
}

TEST(InspectJsonDate, UtcWithMillisecondsRoundedDown) {
    using namespace std::chrono;
    const sys_days day = 2026y / December / 6;
    EXPECT_EQ(isoUtcMillis(day + 6h + 33min + 22s + 123456us).toStdString(), "2026-12-06T06:33:22.123Z");
    EXPECT_EQ(isoUtcMillis(sys_days(2000y / February / 29)).toStdString(), "2000-02-29T00:00:00.000Z");
    EXPECT_EQ(isoUtcMillis(sys_days(1970y / January / 1) - 1us).toStdString(), "1969-12-31T23:59:59.999Z");
}
