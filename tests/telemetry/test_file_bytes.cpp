#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "FileBytes.h"

using namespace telemetry;
namespace fs = std::filesystem;

namespace {
fs::path tempFile(const std::string& name, const std::string& content) {
    const fs::path p = fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
    std::ofstream(p, std::ios::binary) << content;
    return p;
}
}  // namespace

TEST(FileBytes, ReadsOnlyRangesInsideTheFile) {
    const fs::path p = tempFile("bytes", "0123456789");
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
    fs::remove(p);
}

TEST(FileBytes, UnreadablePathsGiveEmptySourcesAndAReason) {
    const fs::path dir = fs::temp_directory_path();
    EXPECT_EQ(RandomAccessFile(dir).size(), 0u);
    EXPECT_EQ(RandomAccessFile(dir / "no such file").size(), 0u);
    EXPECT_NE(unreadableReason(dir / "no such file"), "");
    EXPECT_NE(unreadableReason(dir), "");
    const fs::path p = tempFile("readable", "x");
    EXPECT_EQ(unreadableReason(p), "");
    fs::remove(p);
}

TEST(FileBytes, FileShrinkingDuringTheScanFailsTheRead) {
    const fs::path p = tempFile("shrinking", std::string(8192, 'x'));
    RandomAccessFile file(p);
    ASSERT_EQ(file.size(), 8192u);
    fs::resize_file(p, 100);
    uint8_t out[16];
    EXPECT_TRUE(file.read(50, 16, out));
    EXPECT_FALSE(file.read(90, 16, out));  // would run past the new end
    EXPECT_FALSE(file.read(4096, 16, out));
    fs::remove(p);
}
