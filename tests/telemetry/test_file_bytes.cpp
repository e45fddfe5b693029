#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

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

// Small reads come from the pages read last: any mix of small and large reads, in
// any order, across page boundaries and up to the short last page, gives the file's
// own bytes, and a read past the end still fails.
TEST(FileBytes, SmallReadsFromThePagesReadLastAreTheFilesBytes) {
    const testgen::TempDir tmp{fs::temp_directory_path() / "bytes-XXXXXX"};
    const fs::path p = tmp.path() / "f";
    std::string content(3 * 4096 + 1000, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = char(i * 7919 % 251);
    std::ofstream(p, std::ios::binary) << content;
    const RandomAccessFile file(p);
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const size_t length = random() % 8 == 0 ? random() % 9000 : random() % 300;
        const uint64_t offset = random() % (content.size() + 16);
        std::vector<uint8_t> out(length + 1, 0xee);
        const bool inside = offset + length <= content.size();
        ASSERT_EQ(file.read(offset, length, out.data()), inside) << offset << " " << length;
        if (inside) {
            ASSERT_EQ(std::string(out.begin(), out.end() - 1), content.substr(offset, length)) << offset << " " << length;
        }
        ASSERT_EQ(out.back(), 0xee) << "wrote past the end of the buffer";
    }
}

namespace {
// Notes the hints it gets; reads nothing.
class HintedFile final : public FileBytes {
public:
    explicit HintedFile(uint64_t size) : size_(size) {}
    uint64_t size() const override { return size_; }
    bool read(uint64_t, size_t, uint8_t*) const override { return false; }
    void prefetch(uint64_t offset, uint64_t length) const override { hints.emplace_back(offset, length); }
    mutable std::vector<std::pair<uint64_t, uint64_t>> hints;

private:
    uint64_t size_;
};
}  // namespace

TEST(FileBytes, PrefetchHintsJoinNearbyRangesAndStopAtTheBudget) {
    HintedFile file(1 << 20);
    {
        PrefetchRun run(file, 1000);
        EXPECT_TRUE(run.add(0, 100));
        EXPECT_TRUE(run.add(2000, 100));     // within a page of the last: one hint
        EXPECT_TRUE(run.add(300000, 100));   // far: a hint of its own
        EXPECT_TRUE(run.add(400000, 0));     // nothing to fetch
        EXPECT_FALSE(run.add(500000, 800));  // past the budget: neither it nor anything after
        EXPECT_FALSE(run.add(600000, 1));
    }
    EXPECT_EQ(file.hints, (std::vector<std::pair<uint64_t, uint64_t>>{{0, 2100}, {300000, 100}}));

    // A table that points past the end hints nothing more, so a lying table never
    // has the file fetched whole.
    file.hints.clear();
    {
        PrefetchRun run(file, UINT64_MAX);
        EXPECT_TRUE(run.add(10, 10));
        EXPECT_FALSE(run.add((1 << 20) - 5, 10));
        EXPECT_FALSE(run.add(100, 10));
    }
    EXPECT_EQ(file.hints, (std::vector<std::pair<uint64_t, uint64_t>>{{10, 10}}));
}
