#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>

#include "AppTestSupport.h"
#include "Batches.h"
#include "CardRows.h"
#include "RowText.h"
#include "VideoTrack.h"

namespace {
QByteArray bytesOf(const QString& path) { return QFile::encodeName(path); }
}  // namespace

TEST(Batches, FolderKeepsVisibleMp4NamesInByteOrder) {
    QTemporaryDir tmp;
    const QByteArray folder = bytesOf(tmp.path());
    // A name that is not UTF-8 (Latin-1 e acute) stays the file system's bytes.
    const QByteArrayList names = {"REC_0002.MP4", "notes.txt", "clip.mp4", "REC_0001.MP4", "._REC_0001.MP4",
                                  "REC_0036.MP4.part", "Z.Mp4", "a.MP4", ".hidden.mp4", "caf\xe9.MP4", "mp4", "x.MP4~",
                                  "GX010001.MOV", "b.mov", "x.movie", ".hidden.MOV"};
    for (const QByteArray& name : names) std::ofstream((folder + '/' + name).toStdString());
    QDir(tmp.path()).mkdir(QStringLiteral("sub.MP4"));  // qualifies by its name alone
    const QByteArrayList expected = {"GX010001.MOV", "REC_0001.MP4", "REC_0002.MP4", "Z.Mp4",  "a.MP4",
                                     "b.mov",        "caf\xe9.MP4",  "clip.mp4",     "sub.MP4"};
    QByteArrayList got = recordingsInFolder(folder);
    for (QByteArray& p : got) {
        EXPECT_TRUE(p.startsWith(folder + '/')) << p.toStdString();
        p = p.mid(folder.size() + 1);
    }
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(recordingsInFolder(folder + "/missing").isEmpty());
    // A drop judges its first file by the same rule.
    for (const QByteArray& name : names) EXPECT_EQ(isSupportedDrop(folder + '/' + name), expected.contains(name)) << name.toStdString();
}

TEST(Batches, ChoiceOfFolderOrFiles) {
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    QFile(dir.filePath("b.MP4")).open(QIODevice::WriteOnly);
    QFile(dir.filePath("a.txt")).open(QIODevice::WriteOnly);
    // Files are taken as given, unfiltered.
    const QByteArrayList files = {bytesOf(dir.filePath("a.txt")), bytesOf(dir.filePath("b.MP4"))};
    EXPECT_EQ(batchForChoice(files), files);
    // A folder first: only its recordings; the other chosen items are ignored.
    EXPECT_EQ(batchForChoice({bytesOf(tmp.path()), files[0]}), QByteArrayList{files[1]});
    // A card's root: its subfolders too, by path under it; system folders left out.
    for (const char* folder : {"DCIM/Movie/RO", "System Volume Information"}) dir.mkpath(folder);
    for (const char* name : {"DCIM/Movie/RO/c_0002F.MP4", "DCIM/Movie/c_0001F.MP4", "System Volume Information/x.MP4"})
        QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
    EXPECT_EQ(batchForChoice({bytesOf(tmp.path())}),
              (QByteArrayList{bytesOf(dir.filePath("DCIM/Movie/RO/c_0002F.MP4")), bytesOf(dir.filePath("DCIM/Movie/c_0001F.MP4")),
                              files[1]}));
    // Rows lie below the folder opened; loose files from their common folder's name on.
    const QByteArrayList card = batchForChoice({bytesOf(tmp.path())});
    const auto places = [](const std::vector<BatchRow>& rows) {
        QStringList out;
        for (const BatchRow& row : rows) out << row.place;
        return out;
    };
    EXPECT_EQ(openedFolder({bytesOf(tmp.path()), files[0]}), bytesOf(tmp.path()));
    EXPECT_EQ(places(rowsOfBatch(card, openedFolder({bytesOf(tmp.path())}))),
              (QStringList{"DCIM/Movie/RO", "DCIM/Movie", ""}));
    const QString name = QDir(tmp.path()).dirName();
    EXPECT_EQ(places(rowsOfBatch(card, openedFolder(files))),
              (QStringList{name + "/DCIM/Movie/RO", name + "/DCIM/Movie", name}));
    EXPECT_TRUE(batchForChoice({}).isEmpty());
}

TEST(Batches, DropsTakeFilesOnlyAndJudgeTheFirstName) {
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    const QByteArray folder = bytesOf(tmp.path());
    for (const char* name : {"REC_0001.MP4", "notes.txt", "caf\xe9.MP4"}) std::ofstream((folder + '/' + name).toStdString());
    dir.mkdir("folder");
    // A file URL carries a name that is not UTF-8 as percent-encoded bytes.
    const QUrl latin1 = QUrl::fromEncoded("file://" + folder.toPercentEncoding("/") + "/caf%E9.MP4");
    const QList<QUrl> urls = {QUrl::fromLocalFile(dir.filePath("folder")), QUrl::fromLocalFile(dir.filePath("REC_0001.MP4")),
                              QUrl::fromLocalFile(dir.filePath("notes.txt")), QUrl("https://example.org/x.MP4"), latin1};
    EXPECT_EQ(droppedFiles(urls), (QByteArrayList{folder + "/REC_0001.MP4", folder + "/notes.txt", folder + "/caf\xe9.MP4"}));
    EXPECT_TRUE(droppedFiles({QUrl::fromLocalFile(dir.filePath("folder"))}).isEmpty());
    for (auto [path, supported] : std::vector<std::pair<const char*, bool>>{{"/x/REC_0001.MP4", true},
                                                                            {"/x/a.tar.MP4", true},
                                                                            {"/x/rec_0001.mp4", true},
                                                                            {"/x/REC.Mp4", true},
                                                                            {"/x/notes.txt", false}})
        EXPECT_EQ(isSupportedDrop(path), supported) << path;
}

TEST(RowText, LengthAndNameOfTheRecording) {
    telemetry::Class_Video_Info r;
    r.isSupportSubtitle = 1;
    r.timescale = 1000;
    QStringList lengths;
    for (uint32_t ms : {9000, 65000, 600000, 6000000, 59900, 125000}) {
        r.duration = ms;
        lengths << lengthText(r);
    }
    r.isSupportSubtitle = 0;
    EXPECT_EQ(lengths << lengthText(r),
              (QStringList{"00:09", "01:05", "10:00", "100:00", "00:59", "02:05", "0:0"}));
    // Bytes that are not UTF-8 are shown as replacement characters.
    EXPECT_EQ((QStringList{fileNameOf("/a/b/REC.MP4"), fileNameOf("REC.MP4"), fileNameOf("/a/caf\xe9.MP4")}),
              (QStringList{"REC.MP4", "REC.MP4", QStringLiteral("caf\uFFFD.MP4")}));
}

TEST(VideoTrack, FoundByItsHandlerAndNotGuessedInABrokenMovieBox) {
    QTemporaryDir tmp;
    const QByteArray path = bytesOf(tmp.filePath("REC_0001.MP4"));
    makeRecordingAt(path.toStdString(), 3);
    QFile file(QFile::decodeName(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    const auto hasVideo = [&](const QByteArray& bytes) {
        QFile out(tmp.filePath("x.MP4"));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size());
        out.close();
        return mp4::hasVideoTrack(bytesOf(out.fileName()).toStdString());
    };
    QByteArray noVideo = whole;  // the video track made a free box
    noVideo.replace(noVideo.indexOf("trak", noVideo.indexOf("moov")), 4, "free");
    QByteArray oversized = whole;  // a track claiming more than its movie box holds
    const qsizetype track = oversized.indexOf("trak", oversized.indexOf("moov")) - 4;
    oversized.replace(track, 4, QByteArray::fromHex("7fffffff"));
    EXPECT_EQ(hasVideo(whole), std::optional(true));
    EXPECT_EQ(hasVideo(noVideo), std::optional(false));
    EXPECT_EQ(hasVideo(oversized), std::nullopt);
    EXPECT_EQ(hasVideo(whole.left(whole.indexOf("moov") + 100)), std::nullopt);  // cut short
    EXPECT_EQ(hasVideo({}), std::nullopt);
    EXPECT_EQ(mp4::hasVideoTrack(bytesOf(tmp.filePath("missing.MP4")).toStdString()), std::nullopt);
}
