#pragma once
// What every bench program checks on its command line before its own work.

#include <cstdio>
#include <cstdlib>
#include <cstring>

// True, with the usage printed, when the arguments ask for help: main returns 0.
inline bool printedHelp(int argc, char** argv, const char* usage) {
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(usage, stdout);
            return true;
        }
    return false;
}

// Benches of the viewer's window run it on an X server (Xvfb): Qt's offscreen
// platform composes nothing and shows no video, which hides what the window costs.
// False, with a message, when there is none.
inline bool hasDisplay(const char* usage) {
    const char* display = std::getenv("DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (display && *display && (!platform || !*platform)) return true;
    std::fprintf(stderr, "needs an X server and Qt's xcb platform (DISPLAY set, QT_QPA_PLATFORM not)\n%s", usage);
    return false;
}
