#include <cstdio>
#include <cstring>
#include <string>

#include "Drive.h"
#include "SyntheticMp4.h"

int main(int argc, char** argv) {
    if (argc < 3 || std::strcmp(argv[1], "synthetic") != 0) {
        std::fprintf(stderr, "usage: dashcam-testgen synthetic FILE [SECONDS]\n");
        return 2;
    }
    testgen::DriveOptions drive;
    if (argc > 3) drive.seconds = std::stoi(argv[3]);
    testgen::SyntheticOptions o;
    for (const std::string& line : testgen::simulateDrive(drive)) o.samples.push_back(testgen::timedTextSample(line));
    o.duration = uint32_t(drive.seconds) * 1000;
    testgen::writeSynthetic(argv[2], o);
    return 0;
}
