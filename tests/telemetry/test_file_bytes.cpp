#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FileBytes.h"
#include "Files.h"

using namespace telemetry;
namespace fs = std::filesystem;

class FileBytesTest : public ::testing::Test {
protected:
    testgen::TempDir tmp{fs::temp_directory_path() / "bytes-XXXXXX"};
    fs::path file(const std::string& content) {
        const fs::path p = tmp.path() / "f";
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }
};

TEST_F(FileBytesTest, ReadsOnlyRangesInsideTheFile) {
    const fs::path p = file("0123456789");
    for (const auto& source : {std::unique_ptr<FileBytes>(new RandomAccessFile(p)), std::unique_ptr<FileBytes>(new WholeFile(p))}) {
        ASSERT_EQ(source->size(), 10u);
        uint8_t out[10] = {};
        EXPECT_TRUE(source->read(7, 3, out));
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 3), "789");
        EXPECT_TRUE(source->read(10, 0, out));
        EXPECT_FALSE(source->read(8, 3, out));
        EXPECT_FALSE(source->read(11, 0, out));
        EXPECT_FALSE(source->read(UINT64_MAX, 2, out));  // no wrap-around
    }
}

TEST_F(FileBytesTest, UnreadablePathsGiveEmptySourcesAndAReason) {
    for (const fs::path& p : {tmp.path(), tmp.path() / "no such file"}) {
        EXPECT_EQ(RandomAccessFile(p).size(), 0u) << p;
        EXPECT_NE(unreadableReason(p), "") << p;
    }
    EXPECT_EQ(unreadableReason(file("x")), "");
}

TEST_F(FileBytesTest, FileShrinkingDuringTheScanFailsTheRead) {
    const fs::path p = file(std::string(8192, 'x'));
    RandomAccessFile f(p);
    ASSERT_EQ(f.size(), 8192u);
    fs::resize_file(p, 100);
    uint8_t out[16];
    EXPECT_TRUE(f.read(50, 16, out));
    EXPECT_FALSE(f.read(90, 16, out));  // would run past the new end
    EXPECT_FALSE(f.read(4096, 16, out));
}
