#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FileBytes.h"
#include "Files.h"

using namespace telemetry;
namespace fs = std::filesystem;

TEST(FileBytes, ReadsOnlyRangesInsideTheFileEvenAsItShrinks) {
    const testgen::TempDir tmp{fs::temp_directory_path() / "bytes-XXXXXX"};
    const fs::path p = tmp.path() / "f";
    std::ofstream(p, std::ios::binary) << "0123456789";
    for (const auto& source : {std::unique_ptr<FileBytes>(new RandomAccessFile(p)),
                               std::unique_ptr<FileBytes>(new WholeFile(p))}) {
        ASSERT_EQ(source->size(), 10u);
        uint8_t out[10] = {};
        EXPECT_TRUE(source->read(7, 3, out));
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 3), "789");
        EXPECT_TRUE(source->read(10, 0, out));
        EXPECT_FALSE(source->read(8, 3, out) || source->read(11, 0, out) || source->read(UINT64_MAX, 2, out));
    }
    EXPECT_EQ(unreadableReason(p), "");
    for (const fs::path& gone : {tmp.path(), tmp.path() / "no such file"}) {
        EXPECT_EQ(RandomAccessFile(gone).size(), 0u) << gone;
        EXPECT_NE(unreadableReason(gone), "") << gone;
    }

    std::ofstream(p, std::ios::binary) << std::string(8192, 'x');
    RandomAccessFile f(p);
    ASSERT_EQ(f.size(), 8192u);
    fs::resize_file(p, 100);  // shrinking during the scan
    uint8_t out[16];
    EXPECT_TRUE(f.read(50, 16, out));
    EXPECT_FALSE(f.read(90, 16, out) || f.read(4096, 16, out));
}
