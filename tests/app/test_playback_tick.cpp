#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTime>

#include "PlaybackTick.h"
#include "Snapshot.h"

using telemetry::Class_Subtitle_Info;
using telemetry::Class_Video_Info;

namespace {
Class_Video_Info table(uint32_t samples, uint32_t seconds) {
    // As the scan leaves a completed recording: the samples per second rounded up.
    Class_Video_Info r;
    r.isSupportSubtitle = 1;
    r.num_subtitle = samples;
    r.duration_second = seconds;
    uint32_t g = samples;
    while (g % seconds) ++g;
    r.gapSubtitlePerSecond = g / seconds;
    r.lastPosition = g - samples + 2;
    return r;
}

Class_Subtitle_Info sample(const std::string& text) {
    Class_Subtitle_Info s;
    s.setSubtitleInfo(text);
    return s;
}
}  // namespace

TEST(PlaybackTick, PositionAndSampleIndex) {
    EXPECT_EQ(tickPositionMs(12345000000, 1000000000), 12345.0f);
    Class_Video_Info r = table(120, 60);
    r.gapSubtitlePerSecond = 1;
    EXPECT_EQ(tickSampleIndex(12345.0f, r), 12u);
    r.gapSubtitlePerSecond = 2;
    EXPECT_EQ(tickSampleIndex(12345.0f, r), 24u);
    EXPECT_EQ(tickSampleIndex(999.0f, r), 0u);
    EXPECT_EQ(tickSampleIndex(1000.0f, r), 2u);

    const Class_Video_Info even = table(60, 60);  // 1 per second, fallback 58
    EXPECT_EQ(tickSampleIndex(59000.0f, even), 59u);
    EXPECT_EQ(tickSampleIndex(59999.0f, even), 59u);
    EXPECT_EQ(tickSampleIndex(60000.0f, even), 58u);

    const Class_Video_Info dense = table(60, 59);  // 2 per second, lastPosition 60
    EXPECT_EQ(tickSampleIndex(29999.0f, dense), 58u);
    EXPECT_EQ(tickSampleIndex(30000.0f, dense), 0u);
    EXPECT_EQ(tickSampleIndex(58000.0f, dense), 0u);

    const Class_Video_Info single = table(1, 1);
    EXPECT_EQ(tickSampleIndex(999.0f, single), 0u);
    EXPECT_EQ(tickSampleIndex(1000.0f, single), 4294967295u);  // wraps past the table
}

TEST(PlaybackTick, LabelTexts) {
    const auto s = sample("$0.01$-0.02$0.98$1034567$451234$270$45.9$2016$5$12$9$3$7$N$W");
    TickTexts mph = tickTexts(s, 0);
    EXPECT_EQ(mph.gx, "X : 0.01");
    EXPECT_EQ(mph.gy, "Y : -0.02");
    EXPECT_EQ(mph.gz, "Z : 0.98");
    EXPECT_EQ(mph.speed, "SPEED : 27Mph");
    EXPECT_EQ(mph.date, "DATE: 2016/05/12 09:03:07");
    EXPECT_EQ(tickTexts(s, 1).speed, "SPEED : 45Kmh");
    EXPECT_EQ(tickTexts(s, -1).speed, "SPEED : 45Kmh");
    EXPECT_EQ(tickTexts(sample("$0$0$0$0$0$0$100$1$1$1$1$1$1$N$E"), 0).speed, "SPEED : 60Mph");
    EXPECT_EQ(tickTexts(sample("$0$0$0$0$0$0$100$1$1$1$1$1$1$N$E"), 1).speed, "SPEED : 100Kmh");
    EXPECT_EQ(tickTexts(sample("$0$0$0$0$0$0$3$1$1$1$1$1$1$N$E"), 0).speed, "SPEED : 1Mph");  // 1.8 truncated
    EXPECT_EQ(tickTexts(sample("$0$0$0$0$0$0$$1$1$1$1$1$1$N$E"), 0).speed, "SPEED : 0Mph");
}

TEST(PlaybackTick, MarkerPosition) {
    auto m = tickMarker(sample("$0$0$0$1034567$451234$0$0$1$1$1$1$1$1$N$E"));
    EXPECT_DOUBLE_EQ(m.latitude, 45.1234);
    EXPECT_DOUBLE_EQ(m.longitude, 103.4567);
    EXPECT_TRUE(m.moves);
    m = tickMarker(sample("$0$0$0$-1034567$451234$0$0$1$1$1$1$1$1$N$W"));
    EXPECT_DOUBLE_EQ(m.longitude, -103.4567);  // already negative: kept
    m = tickMarker(sample("$0$0$0$1034567$-451234$0$0$1$1$1$1$1$1$S$E"));
    EXPECT_DOUBLE_EQ(m.latitude, 45.1234);  // "S" always negates
    EXPECT_FALSE(m.moves);                  // a lat text below 0 is no fix
    m = tickMarker(sample("$0$0$0$704567$338688$0$0$1$1$1$1$1$1$S$W"));
    EXPECT_DOUBLE_EQ(m.latitude, -33.8688);  // a trip south of the equator is followed
    EXPECT_DOUBLE_EQ(m.longitude, -70.4567);
    EXPECT_TRUE(m.moves);
    m = tickMarker(sample("$0$0$0$1034567$0$0$0$1$1$1$1$1$1$N$E"));
    EXPECT_FALSE(m.moves);  // no fix: the marker stays
}

TEST(Snapshot, PathAndAtomicWrite) {
    EXPECT_EQ(snapshotPath("/data/snaps/", "REC_0001.MP4", QTime(14, 3, 59)), "/data/snaps/REC_0001.MP4_14:03:59.png");
    QTemporaryDir tmp;
    QImage frame(64, 36, QImage::Format_RGB32);
    frame.fill(Qt::darkCyan);
    QString reason;
    const QString path = snapshotPath(tmp.path() + "/", "REC.MP4", QTime(9, 0, 0));
    ASSERT_TRUE(writePng(frame, path, &reason)) << reason.toStdString();
    const QImage back(path);
    EXPECT_EQ(back.size(), frame.size());
    EXPECT_EQ(back.pixel(10, 10), frame.pixel(10, 10));
    EXPECT_FALSE(writePng(frame, tmp.path() + "/missing/x.png", &reason));
    EXPECT_FALSE(reason.isEmpty());
}
