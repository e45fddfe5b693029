#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "CardNames.h"
#include "CardWalk.h"
#include "Moments.h"
#include "Process.h"
#include "SeventyMaiCamera.h"

namespace fs = std::filesystem;

namespace {

class Card : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("card-test-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override {
        for (const auto& entry : fs::recursive_directory_iterator(root_, fs::directory_options::skip_permission_denied))
            if (entry.is_directory() && !entry.is_symlink()) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root_);
    }
    void touch(const std::string& relative) {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path.string()) << "x";
    }
    // The walk's answer, relative to the root.
    std::vector<std::string> walked(int maxDepth = card::kMaxDepth) {
        std::vector<std::string> out;
        const std::string prefix = root_.string() + '/';
        for (const std::string& path : card::recordingsOnCard(root_.string(), maxDepth)) {
            EXPECT_TRUE(path.starts_with(prefix)) << path;
            out.push_back(path.substr(prefix.size()));
        }
        return out;
    }
    fs::path root_;
};

using Strings = std::vector<std::string>;

// A card of moments: each file's relative path, with the start time from its name.
std::vector<card::Moment> momentsOfNames(const Strings& relatives) {
    std::vector<card::CardFile> files;
    for (const std::string& relative : relatives) {
        const size_t slash = relative.rfind('/');
        files.push_back({"/card/" + relative, relative, card::nameTime(relative.substr(slash == std::string::npos ? 0 : slash + 1))});
    }
    return card::groupMoments(files);
}

// Each moment as "kind: channel=relative ..." with its main channel first.
Strings described(const std::vector<card::Moment>& moments) {
    Strings out;
    for (const card::Moment& m : moments) {
        std::string text = std::string(card::kindName(m.kind)) + ":";
        text.append(" ").append(card::channelName(m.mainChannel().channel)).append("=").append(m.mainChannel().relative);
        for (size_t c = 0; c < m.channels.size(); ++c)
            if (c != m.main)
                text.append(" ").append(card::channelName(m.channels[c].channel)).append("=").append(m.channels[c].relative);
        out.push_back(text);
    }
    return out;
}

}  // namespace

TEST_F(Card, FlatFolderKeepsRecordingNamesInByteOrder) {
    for (const char* name : {"REC_0002.MP4", "notes.txt", "clip.mp4", "REC_0001.MP4", "._REC_0001.MP4", "b.mov", "Z.Mp4"})
        touch(name);
    EXPECT_EQ(walked(), (Strings{"REC_0001.MP4", "REC_0002.MP4", "Z.Mp4", "b.mov", "clip.mp4"}));
    EXPECT_TRUE(card::recordingsOnCard((root_ / "missing").string()).empty());
}

TEST_F(Card, NestedFoldersInOrderOfTheirRelativePaths) {
    for (const char* name : {"DCIM/Movie/2024_0101_120100_0002F.MP4", "DCIM/Movie/2024_0101_120000_0001F.MP4",
                             "DCIM/Movie/RO/2024_0101_120030_0003F.MP4", "DCIM/Movie/2024_0101_120000_0001R.MP4",
                             "Record/20240101_120000_NF.mp4", "ROOT.MP4", "DCIM/Photo/IMG_0001.JPG"})
        touch(name);
    EXPECT_EQ(walked(), (Strings{"DCIM/Movie/2024_0101_120000_0001F.MP4", "DCIM/Movie/2024_0101_120000_0001R.MP4",
                                 "DCIM/Movie/2024_0101_120100_0002F.MP4", "DCIM/Movie/RO/2024_0101_120030_0003F.MP4",
                                 "ROOT.MP4", "Record/20240101_120000_NF.mp4"}));
}

TEST_F(Card, DepthIsBounded) {
    touch("a/b/c/d/e/AT_FIVE.MP4");
    touch("a/b/c/d/e/f/AT_SIX.MP4");
    EXPECT_EQ(walked(), Strings{"a/b/c/d/e/AT_FIVE.MP4"});
    EXPECT_EQ(walked(1), Strings{});
    touch("a/AT_ONE.MP4");
    EXPECT_EQ(walked(1), Strings{"a/AT_ONE.MP4"});
}

TEST_F(Card, SymlinkLoopsAndSecondPathsAreWalkedOnce) {
    touch("Normal/REC_0001.MP4");
    fs::create_directory_symlink("..", root_ / "Normal" / "up");
    fs::create_directory_symlink(root_ / "Normal", root_ / "again");
    fs::create_directory_symlink(root_ / "gone", root_ / "dangling");
    const Strings got = walked();
    ASSERT_EQ(got.size(), 1u);
    // Which of the two ways in names it depends on the listing order; the file is one.
    EXPECT_TRUE(got[0] == "Normal/REC_0001.MP4" || got[0] == "again/REC_0001.MP4") << got[0];
}

TEST_F(Card, SystemAndUnreadableFoldersAreSkipped) {
    for (const char* folder : {"System Volume Information", "$RECYCLE.BIN", ".Trashes", "LOST.DIR", "found.000", ".Spotlight-V100"})
        touch(std::string(folder) + "/REC_0001.MP4");
    touch("Event/REC_0002.MP4");
    touch("locked/REC_0003.MP4");
    touch("Normal/REC_0004.MP4");
    fs::permissions(root_ / "locked", fs::perms::none);
    // Root reads any folder: then the locked one is not unreadable.
    const bool readable = [&] {
        DIR* d = ::opendir((root_ / "locked").c_str());
        if (d) ::closedir(d);
        return d != nullptr;
    }();
    Strings expected{"Event/REC_0002.MP4", "Normal/REC_0004.MP4"};
    if (readable) expected.push_back("locked/REC_0003.MP4");
    EXPECT_EQ(walked(), expected);
    for (const char* name : {"System Volume Information", "$Recycle.Bin", "RECYCLER", "LOST.DIR", ".fseventsd"})
        EXPECT_TRUE(card::isSkippedFolder(name)) << name;
    for (const char* name : {"DCIM", "Movie", "RO", "100GOPRO", "Normal"}) EXPECT_FALSE(card::isSkippedFolder(name)) << name;
}

TEST_F(Card, ChaptersFollowTheirRecording) {
    for (const char* name : {"GX020123.MP4", "GX010124.MP4", "GX010123.MP4", "GX030123.MP4", "GP010007.MP4", "GOPR0007.MP4",
                             "GOPR0008.MP4", "GH010200.MP4"})
        touch(std::string("DCIM/100GOPRO/") + name);
    EXPECT_EQ(walked(), (Strings{"DCIM/100GOPRO/GH010200.MP4", "DCIM/100GOPRO/GOPR0007.MP4", "DCIM/100GOPRO/GP010007.MP4",
                                 "DCIM/100GOPRO/GOPR0008.MP4", "DCIM/100GOPRO/GX010123.MP4", "DCIM/100GOPRO/GX020123.MP4",
                                 "DCIM/100GOPRO/GX030123.MP4", "DCIM/100GOPRO/GX010124.MP4"}));
}

TEST(CardNames, KindFromWhereTheCameraPutIt) {
    using card::Kind;
    const std::vector<std::tuple<std::string, Kind>> cases = {
        {"DCIM/Movie/2024_0101_120000_0001F.MP4", Kind::Normal},
        {"DCIM/Movie/RO/2024_0101_120000_0001F.MP4", Kind::Event},
        {"DCIM/Movie/Parking/2024_0101_120000_0001F.MP4", Kind::Parking},
        {"Normal/Front/NO20240101-120000-000001F.MP4", Kind::Normal},
        {"Event/Back/EV20240101-120000-000002B.MP4", Kind::Event},
        {"Parking/PA20240101-120000-000003F.MP4", Kind::Parking},
        {"cont_rec/a.mp4", Kind::Normal}, {"evt_rec/a.mp4", Kind::Event},
        {"parking_rec/a.mp4", Kind::Parking}, {"manual_rec/a.mp4", Kind::Manual},
        {"Record/20240101_120000_NF.mp4", Kind::Normal}, {"Record/20240101_120000_ER.mp4", Kind::Event},
        {"Record/20240101_120000_PF.mp4", Kind::Parking}, {"Record/20240101_120000_MI.mp4", Kind::Manual},
        // The name's letters say more than the folder.
        {"Normal/20240101_120000_EF.mp4", Kind::Event},
        {"DCIM/100GOPRO/GX010123.MP4", Kind::Unknown}, {"REC_0001.MP4", Kind::Unknown},
        {"Record/20240101_120000_XF.mp4", Kind::Unknown}, {"EVENT.MP4", Kind::Unknown}};
    for (const auto& [path, kind] : cases) EXPECT_EQ(card::kindOf(path), kind) << path;
}

TEST(CardNames, StartTimeFromTheName) {
    const int64_t noon = 1704110400;  // 2024-01-01 12:00:00
    EXPECT_EQ(card::nameTime("2024_0101_120000_0001F.MP4"), noon);
    EXPECT_EQ(card::nameTime("20240101_120000_NF.mp4"), noon);
    EXPECT_EQ(card::nameTime("NO20240101-120002-000001F.MP4"), noon + 2);
    EXPECT_EQ(card::nameTime("2024_0229_235959.MP4"), noon + 59 * 86400 + 12 * 3600 - 1);
    for (const char* name : {"GX010123.MP4", "2024_1301_120000.MP4", "2024_0101_250000.MP4", "12024_0101_120000.MP4",
                             "2024_0101_1200001.MP4", "REC_0001.MP4"})
        EXPECT_EQ(card::nameTime(name), std::nullopt) << name;
}

TEST(Moments, ChannelsOfEachFamilyPairByName) {
    const Strings card = {
        // Viofo and other Novatek cameras: …F, …R, …I in one folder.
        "DCIM/Movie/2024_0101_120000_0001F.MP4", "DCIM/Movie/2024_0101_120000_0001I.MP4",
        "DCIM/Movie/2024_0101_120000_0001R.MP4", "DCIM/Movie/2024_0101_120100_0002F.MP4",
        "DCIM/Movie/RO/2024_0101_120100_0002R.MP4",  // another folder: not the front's partner
        // BlackVue: kind and channel letters.
        "Record/20240101_130000_NF.mp4", "Record/20240101_130000_NR.mp4", "Record/20240101_130100_EF.mp4",
        "Record/20240101_130100_ER.mp4", "Record/20240101_130200_PF.mp4",
        // 70mai: Front and Back folders, the back file named with B.
        "Normal/Back/NO20240101-140000-000001B.MP4", "Normal/Front/NO20240101-140000-000001F.MP4",
        // _F and _R.
        "cont_rec/FILE240101-150000_F.MP4", "cont_rec/FILE240101-150000_R.MP4"};
    EXPECT_EQ(described(momentsOfNames(card)),
              (Strings{"normal: front=DCIM/Movie/2024_0101_120000_0001F.MP4 rear=DCIM/Movie/2024_0101_120000_0001R.MP4 "
                       "interior=DCIM/Movie/2024_0101_120000_0001I.MP4",
                       "normal: front=DCIM/Movie/2024_0101_120100_0002F.MP4",
                       "event: rear=DCIM/Movie/RO/2024_0101_120100_0002R.MP4",
                       "normal: front=Record/20240101_130000_NF.mp4 rear=Record/20240101_130000_NR.mp4",
                       "event: front=Record/20240101_130100_EF.mp4 rear=Record/20240101_130100_ER.mp4",
                       "parking: front=Record/20240101_130200_PF.mp4",
                       "normal: front=Normal/Front/NO20240101-140000-000001F.MP4 rear=Normal/Back/NO20240101-140000-000001B.MP4",
                       "normal: front=cont_rec/FILE240101-150000_F.MP4 rear=cont_rec/FILE240101-150000_R.MP4"}));
}

TEST(Moments, ChannelsThatDoNotPairByNamePairByStartTime) {
    // The rear camera's file started a second or two after the front's, and its name says so.
    EXPECT_EQ(described(momentsOfNames({"Normal/Front/NO20240101-140000-000001F.MP4", "Normal/Back/NO20240101-140002-000002B.MP4",
                                        "Normal/Front/NO20240101-140100-000003F.MP4", "Normal/Back/NO20240101-140103-000004B.MP4"})),
              (Strings{"normal: front=Normal/Front/NO20240101-140000-000001F.MP4 rear=Normal/Back/NO20240101-140002-000002B.MP4",
                       "normal: front=Normal/Front/NO20240101-140100-000003F.MP4",
                       "normal: rear=Normal/Back/NO20240101-140103-000004B.MP4"}));
    // Without a time in the names, the times given (the movie headers') decide; the closest front wins.
    const std::vector<card::CardFile> files = {{"/c/Front/A.MP4", "Front/A.MP4", 1000}, {"/c/Front/B.MP4", "Front/B.MP4", 1003},
                                               {"/c/Back/X.MP4", "Back/X.MP4", 1002},   {"/c/Back/Y.MP4", "Back/Y.MP4", std::nullopt},
                                               {"/c/Front/C.MP4", "Front/C.MP4", std::nullopt}};
    EXPECT_EQ(described(card::groupMoments(files)),
              (Strings{": front=Front/A.MP4", ": front=Front/B.MP4 rear=Back/X.MP4", ": rear=Back/Y.MP4", ": front=Front/C.MP4"}));
}

TEST(Moments, LoneChannelsAndPlainFiles) {
    // A rear file alone is a moment of its own with the rear as main; two fronts never pair.
    EXPECT_EQ(described(momentsOfNames({"DCIM/Movie/2024_0101_120000_0001R.MP4", "Event/2024_0101_120000_0001F.MP4",
                                        "Event/2024_0101_120001_0002F.MP4", "REC_0001.MP4", "REC_0002.MP4"})),
              (Strings{"normal: rear=DCIM/Movie/2024_0101_120000_0001R.MP4", "event: front=Event/2024_0101_120000_0001F.MP4",
                       "event: front=Event/2024_0101_120001_0002F.MP4", ": front=REC_0001.MP4", ": front=REC_0002.MP4"}));
    // A name merely ending in a channel's letter is no channel.
    for (const char* name : {"CLIF.MP4", "GX010123.MP4", "TRAFFIC.MP4", "a_NB.mp4"}) EXPECT_FALSE(card::channelOf(name).marked) << name;
}

// A camera's kind folders merge by start time, so a protected or parked recording sits
// where it happened; separate camera folders, names without times and a folder alone
// keep walk order.
TEST(Moments, KindFoldersOfACameraMergeByStartTime) {
    const auto mains = [](const Strings& walk) {
        Strings out;
        for (const card::Moment& m : momentsOfNames(walk)) out.push_back(m.mainChannel().relative);
        return out;
    };
    const std::vector<std::pair<Strings, Strings>> cases = {
        // Novatek: Movie, then Movie/Parking, then Movie/RO in walk order.
        {{"DCIM/Movie/2024_0101_120000_0001F.MP4", "DCIM/Movie/2024_0101_120100_0002F.MP4",
          "DCIM/Movie/2024_0101_120300_0004F.MP4", "DCIM/Movie/Parking/2024_0101_110000_0005F.MP4",
          "DCIM/Movie/RO/2024_0101_120200_0003F.MP4", "DCIM/Movie/RO/2024_0101_120200_0003R.MP4"},
         {"DCIM/Movie/Parking/2024_0101_110000_0005F.MP4", "DCIM/Movie/2024_0101_120000_0001F.MP4",
          "DCIM/Movie/2024_0101_120100_0002F.MP4", "DCIM/Movie/RO/2024_0101_120200_0003F.MP4",
          "DCIM/Movie/2024_0101_120300_0004F.MP4"}},
        // 70mai: Event before Normal, each with Front and Back.
        {{"Event/Back/EV20240101-120101-000102B.MP4", "Event/Front/EV20240101-120100-000002F.MP4",
          "Normal/Back/NO20240101-120001-000101B.MP4", "Normal/Front/NO20240101-120000-000001F.MP4",
          "Normal/Front/NO20240101-120200-000003F.MP4"},
         {"Normal/Front/NO20240101-120000-000001F.MP4", "Event/Front/EV20240101-120100-000002F.MP4",
          "Normal/Front/NO20240101-120200-000003F.MP4"}},
        // cont_rec and evt_rec; a name without a time goes in walk order.
        {{"cont_rec/REC.MP4", "cont_rec/X_20240101_120000.MP4", "cont_rec/X_20240101_120200.MP4",
          "evt_rec/X_20240101_120100.MP4"},
         {"cont_rec/REC.MP4", "cont_rec/X_20240101_120000.MP4", "evt_rec/X_20240101_120100.MP4",
          "cont_rec/X_20240101_120200.MP4"}},
        // Two cameras' folders stay apart; a flat folder keeps byte order whatever its names' times.
        {{"CAM1/Movie/2024_0101_130000_0001F.MP4", "CAM2/Movie/RO/2024_0101_120000_0001F.MP4",
          "Z_2024_0101_120000.MP4", "a_2024_0101_110000.MP4"},
         {"CAM1/Movie/2024_0101_130000_0001F.MP4", "CAM2/Movie/RO/2024_0101_120000_0001F.MP4",
          "Z_2024_0101_120000.MP4", "a_2024_0101_110000.MP4"}}};
    for (const auto& [walk, rows] : cases) EXPECT_EQ(mains(walk), rows) << walk.front();
}

// Names that carry no time and do not pair: the movie headers' creation times pair
// the channels, and a file without one stays alone.
TEST_F(Card, ChannelsWithoutTimesInTheirNamesPairByTheMovieHeader) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not on PATH";
    const auto drive = [](int second) {
        testgen::DriveOptions options;
        options.seconds = 1;
        options.second = second;
        return testgen::simulateDrivePoints(options);
    };
    for (const char* folder : {"Normal/Front", "Normal/Back"}) fs::create_directories(root_ / folder);
    testgen::writeSeventyMai((root_ / "Normal/Front/FILE0001.MP4").string(), drive(10));
    testgen::writeSeventyMai((root_ / "Normal/Back/FILE0007.MP4").string(), drive(12));
    testgen::writeSeventyMai((root_ / "Normal/Front/FILE0002.MP4").string(), drive(40));
    testgen::writeSeventyMai((root_ / "Normal/Back/FILE0008.MP4").string(), drive(43));
    const std::string prefix = root_.string() + '/';
    Strings got;
    for (const card::Moment& m : card::momentsOnCard(root_.string())) {
        std::string text(card::kindName(m.kind));
        for (const card::ChannelFile& c : m.channels) text.append(" ").append(card::channelName(c.channel)).append("=").append(c.relative);
        EXPECT_EQ(m.channels[m.main].path, prefix + m.channels[m.main].relative);
        got.push_back(text);
    }
    // Front/ and Back/ of one camera merge by the headers' times: the lone rear, last to start, comes last.
    EXPECT_EQ(got, (Strings{"normal front=Normal/Front/FILE0001.MP4 rear=Normal/Back/FILE0007.MP4",
                            "normal front=Normal/Front/FILE0002.MP4", "normal rear=Normal/Back/FILE0008.MP4"}));
}
