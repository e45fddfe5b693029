#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "AppTestSupport.h"
#include "Batches.h"
#include "RowText.h"

TEST(Batches, FolderKeepsUpperCaseMp4NamesInNameOrder) {
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    for (const char* name : {"REC_0002.MP4", "notes.txt", "clip.mp4", "REC_0001.MP4", "._REC_0001.MP4",
                             "REC_0003.MP4.part", "Z.MP4", "a.MP4"})
        QFile(dir.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly);
    dir.mkdir(QStringLiteral("sub.MP4"));  // qualifies by its name alone
    const QStringList expected = {"._REC_0001.MP4", "REC_0001.MP4", "REC_0002.MP4", "REC_0003.MP4.part",
                                  "Z.MP4",          "a.MP4",        "sub.MP4"};
    QStringList got = recordingsInFolder(tmp.path());
    for (QString& p : got) p = fileNameOf(p);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(recordingsInFolder(tmp.path()).first(), tmp.path() + "/._REC_0001.MP4");
    EXPECT_TRUE(recordingsInFolder(tmp.path() + "/missing").isEmpty());
}

TEST(Batches, ChoiceOfFolderOrFiles) {
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    QFile(dir.filePath("b.MP4")).open(QIODevice::WriteOnly);
    QFile(dir.filePath("a.mov")).open(QIODevice::WriteOnly);
    // Files are taken as given, unfiltered.
    const QStringList files = {dir.filePath("a.mov"), dir.filePath("b.MP4")};
    EXPECT_EQ(batchForChoice(files), files);
    // A folder first: only its recordings; the other chosen items are ignored.
    EXPECT_EQ(batchForChoice({tmp.path(), dir.filePath("a.mov")}), QStringList{dir.filePath("b.MP4")});
    EXPECT_TRUE(batchForChoice({}).isEmpty());
}

TEST(Batches, DropsTakeFilesOnlyAndJudgeTheFirstExtension) {
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    QFile(dir.filePath("REC_0001.MP4")).open(QIODevice::WriteOnly);
    QFile(dir.filePath("notes.txt")).open(QIODevice::WriteOnly);
    dir.mkdir("folder");
    const QList<QUrl> urls = {QUrl::fromLocalFile(dir.filePath("folder")), QUrl::fromLocalFile(dir.filePath("REC_0001.MP4")),
                              QUrl::fromLocalFile(dir.filePath("notes.txt")), QUrl("https://example.org/x.MP4")};
    EXPECT_EQ(droppedFiles(urls), (QStringList{dir.filePath("REC_0001.MP4"), dir.filePath("notes.txt")}));
    EXPECT_TRUE(droppedFiles({QUrl::fromLocalFile(dir.filePath("folder"))}).isEmpty());
    EXPECT_TRUE(isSupportedDrop("/x/REC_0001.MP4"));
    EXPECT_TRUE(isSupportedDrop("/x/a.tar.MP4"));
    EXPECT_FALSE(isSupportedDrop("/x/rec_0001.mp4"));
    EXPECT_FALSE(isSupportedDrop("/x/REC.Mp4"));
    EXPECT_FALSE(isSupportedDrop("/x/notes.txt"));
}

TEST(RowText, LengthOfTheRecording) {
    telemetry::Class_Video_Info r;
    r.isSupportSubtitle = 1;
    r.timescale = 1000;
    for (auto [ms, text] : std::vector<std::pair<uint32_t, const char*>>{
             {9000, "00:09"}, {65000, "01:05"}, {600000, "10:00"}, {6000000, "100:00"}, {59900, "00:59"}, {125000, "02:05"}}) {
        r.duration = ms;
        EXPECT_EQ(lengthText(r), QString::fromLatin1(text)) << ms;
    }
    r.isSupportSubtitle = 0;
    EXPECT_EQ(lengthText(r), "0:0");
    EXPECT_EQ(fileNameOf("/a/b/REC.MP4"), "REC.MP4");
    EXPECT_EQ(fileNameOf("REC.MP4"), "REC.MP4");
}
