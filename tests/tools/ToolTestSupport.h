#pragma once
// Shared by the tool's tests: a scratch folder per test, recordings made by the
// project's generator, and a way to run a program and collect what it printed.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include "Drive.h"
#include "Files.h"
#include "Process.h"
#include "SyntheticMp4.h"

namespace tooltest {

namespace fs = std::filesystem;

using ProgramRun = testgen::ProcessResult;

inline std::string str(const QJsonValue& v) { return v.toString().toStdString(); }

// The JSON array a command printed; a failure when it is anything else.
inline QJsonArray jsonArray(const std::string& text) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << text;
    EXPECT_TRUE(doc.isArray());
    return doc.array();
}

inline std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs program (searched on PATH) with the C locale, so that system messages read the
// same everywhere; standard output goes to stdoutPath when given, else it is collected.
inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args, const fs::path& /*scratch*/,
                             const std::optional<std::string>& stdoutPath = std::nullopt) {
    std::vector<std::string> argv{"env", "LC_ALL=C", program};
    argv.insert(argv.end(), args.begin(), args.end());
    if (stdoutPath) argv.insert(argv.begin(), {"sh", "-c", "exec \"$@\" >\"$0\"", *stdoutPath});
    return testgen::runProcess(argv);
}

inline ProgramRun runTool(const std::vector<std::string>& args, const fs::path& scratch,
                   const std::optional<std::string>& stdoutPath = std::nullopt) {
    return runProgram(DASHCAM_TELEMETRY_EXE, args, scratch, stdoutPath);
}

// As runTool, from the folder dir (so that relative names are read there), given
// a minute at most: a hang ends with exit status 124.
inline ProgramRun runToolIn(const fs::path& dir, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"sh", "-c", "cd \"$0\" && exec env LC_ALL=C timeout 60 \"$@\"", dir.string(),
                                  DASHCAM_TELEMETRY_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    return testgen::runProcess(argv);
}

// Runs run() while reading what it writes into the FIFO at path, as a program at
// the other end would.
inline std::string readFifoWhile(const fs::path& fifo, const std::function<void()>& run) {
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        ADD_FAILURE() << "cannot open " << fifo;
        return {};
    }
    std::atomic<bool> over{false};
    std::string got;
    std::thread reader([&] {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) got.append(buffer, size_t(n));
            else if (n == 0 && over) break;  // no writer any more, and none to come
            else std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    run();
    over = true;
    reader.join();
    ::close(fd);
    return got;
}

// A sample line with the fields the tests care about; the date and time are
// unpadded as the camera writes them.
inline std::string sampleLine(const std::string& lat, const std::string& lon, const std::string& ns = "N",
                              const std::string& we = "E", const std::string& heading = "90",
                              const std::string& speed = "36.0", const std::string& date = "2016$5$12$9$3$7",
                              const std::string& g = "0.01$-0.02$0.98") {
    return "$" + g + "$" + lon + "$" + lat + "$" + heading + "$" + speed + "$" + date + "$" + ns + "$" + we;
}

inline testgen::SyntheticOptions recording(const std::vector<std::string>& lines, uint32_t seconds) {
    testgen::SyntheticOptions o;
    for (const std::string& l : lines) o.samples.push_back(testgen::timedTextSample(l));
    o.duration = seconds * 1000;
    return o;
}

class ScratchTest : public ::testing::Test {
protected:
    testgen::TempDir tmp{fs::temp_directory_path() / "telemetry_tool_XXXXXX"};
    const fs::path dir = tmp.path();

    std::string write(const std::string& name, const testgen::SyntheticOptions& o,
                      testgen::SyntheticLayout* layout = nullptr) {
        const std::string path = (dir / name).string();
        const testgen::SyntheticLayout l = testgen::writeSynthetic(path, o);
        if (layout) *layout = l;
        return path;
    }
};

}  // namespace tooltest
