#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTime>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

#include "PlaybackTick.h"
#include "RowText.h"
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
    const struct {
        uint32_t samples, seconds;
        float ms;
        uint32_t index;
    } cases[] = {
        {120, 60, 12345, 24}, {120, 60, 999, 0}, {120, 60, 1000, 2},  // 2 a second
        {60, 60, 59000, 59},  {60, 60, 59999, 59}, {60, 60, 60000, 58},  // the end falls back
        {1, 1, 999, 0},       {1, 1, 1000, 4294967295u},                  // and may wrap past the table
        // Not a whole number a second: spread evenly, at most the last sample.
        {60, 59, 29999, 29},  {60, 59, 30000, 30}, {60, 59, 58000, 58}, {60, 59, 59000, 59},
        {61, 60, 30000, 30},  {61, 60, 60000, 60}, {30, 60, 30000, 15}, {30, 60, 59000, 29}, {30, 60, 61000, 29},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.samples << " samples in " << c.seconds << " s at " << c.ms << " ms");
        EXPECT_EQ(tickSampleIndex(c.ms, table(c.samples, c.seconds)), c.index);
    }
}

TEST(PlaybackTick, LabelTexts) {
    // A camera writing "005" and "07" gets the leading-zero rule's "0005" and "007" stored.
    const auto s = sample("$0.01$-0.02$0.98$1034567$451234$270$45.9$2016$005$12$9$3$07$N$W");
    ASSERT_EQ(s.month, "0005");
    const TickTexts t = tickTexts(s, 0);
    EXPECT_EQ((QStringList{t.gx, t.gy, t.gz, t.date}), (QStringList{"X : 0.01", "Y : -0.02", "Z : 0.98", "DATE: 2016/05/12 09:03:07"}));
    Class_Video_Info record;
    record.fileDateYMD = std::string(*s.year) + "/" + std::string(*s.month) + "/" + std::string(*s.day);
    EXPECT_EQ(dateText(record), "2016/05/12");

    const struct {
        const char *speed;
        int unit;
        const char* shown;
    } speeds[] = {
        {"45.9", 0, "SPEED : 28Mph"}, {"45.9", 1, "SPEED : 45Kmh"}, {"45.9", -1, "SPEED : 45Kmh"},
        {"100", 0, "SPEED : 62Mph"},  {"100", 1, "SPEED : 100Kmh"}, {"3", 0, "SPEED : 1Mph"},  // 1.86 truncated
        {"", 0, "SPEED : 0Mph"},
        // Crafted texts saturate instead of overflowing the conversion.
        {"9e9999", 0, "SPEED : 2147483647Mph"}, {"-9e9999", 0, "SPEED : -2147483648Mph"},
        {"99999999999", 1, "SPEED : 2147483647Kmh"},
    };
    for (const auto& c : speeds) {
        SCOPED_TRACE(c.speed);
        EXPECT_EQ(tickTexts(sample(std::string("$0$0$0$0$0$0$") + c.speed + "$1$1$1$1$1$1$N$E"), c.unit).speed, c.shown);
    }
}

TEST(PlaybackTick, PositionTextAndMarker) {
    EXPECT_EQ((QStringList{positionText(0, 0), positionText(65999, 600000), positionText(59999, 3600000)}),
              (QStringList{"0:00 / 0:00", "1:05 / 10:00", "0:59 / 60:00"}));
    const struct {
        const char *lon, *lat, *ns, *we;
        QString marker;  // where it is put, and whether it moves there
    } cases[] = {
        {"1034567", "451234", "N", "E", "45.1234 103.4567 moves"},
        {"-1034567", "451234", "N", "W", "45.1234 -103.4567 moves"},  // already negative: kept
        {"1034567", "-451234", "S", "E", "45.1234 103.4567 stays"},   // "S" always negates; below 0 is no fix
        {"704567", "338688", "S", "W", "-33.8688 -70.4567 moves"},    // south of the equator is followed
        {"1034567", "0", "N", "E", "0 103.4567 stays"},               // no fix: the marker stays
        {"x1034567", "451234", "N", "E", "45.1234 0 stays"},          // a longitude that is no number
        {"1034567", "451234abc", "N", "E", "45.1234 103.4567 stays"},  // nor a latitude
    };
    for (const auto& c : cases) {
        const auto m = tickMarker(sample(std::string("$0$0$0$") + c.lon + "$" + c.lat + "$0$0$1$1$1$1$1$1$" + c.ns + "$" + c.we));
        const QString shown = QStringLiteral("%1 %2 ").arg(m.latitude, 0, 'g', 10).arg(m.longitude, 0, 'g', 10);
        EXPECT_EQ(shown + (m.moves ? "moves" : "stays"), c.marker);
    }
}

TEST(Snapshot, NamesWithoutColonsAndNeverReplaced) {
    QTemporaryDir tmp;
    const QString folder = tmp.path() + "/";
    QStringList written;
    for (const QColor colour : {Qt::darkCyan, Qt::red, Qt::green}) {  // three within one second
        QImage frame(64, 36, QImage::Format_RGB32);
        frame.fill(colour);
        QString reason;
        written.append(writeSnapshot(frame, folder, "REC.MP4", QTime(14, 3, 59), &reason));
        ASSERT_FALSE(written.last().isNull()) << reason.toStdString();
        EXPECT_EQ(QImage(written.last()).pixel(10, 10), frame.pixel(10, 10));
    }
    EXPECT_EQ(written, (QStringList{folder + "REC.MP4_14-03-59.png", folder + "REC.MP4_14-03-59_2.png", folder + "REC.MP4_14-03-59_3.png"}));
    EXPECT_EQ(QImage(written.first()).pixel(10, 10), QColor(Qt::darkCyan).rgb());  // never replaced
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);  // no temporary file left

    QString reason;
    EXPECT_TRUE(writeSnapshot(QImage(8, 8, QImage::Format_RGB32), tmp.path() + "/missing/", "X", QTime(), &reason).isNull());
    EXPECT_FALSE(reason.isEmpty());
}

TEST(Snapshot, AFullDiskGivesTheSystemsReason) {
    // A file size limit fails the write as a full disk does, without a mount.
    QTemporaryDir tmp;
    QImage noise(800, 600, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x ^ y) & 255, (x * y) % 253));
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    QString reason;
    const QString path = writeSnapshot(noise, tmp.path() + "/", "REC.MP4", QTime(9, 0, 0), &reason);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(path.isNull());
    EXPECT_EQ(reason, QString::fromLocal8Bit(std::strerror(EFBIG)));  // not "Writing canceled by application"
    EXPECT_TRUE(QDir(tmp.path()).isEmpty());
}
