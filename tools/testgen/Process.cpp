#include "Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

extern char** environ;

namespace testgen {
namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Temporary files rather than pipes: two pipes would need polling to avoid a
// deadlock when the child fills one while we wait on the other.
FilePtr tempFile() {
    FilePtr file(std::tmpfile(), &std::fclose);
    if (!file) throw std::runtime_error(std::string("cannot create a temporary file: ") + std::strerror(errno));
    return file;
}

std::string readAll(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    return text;
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv) {
    if (argv.empty()) throw std::invalid_argument("runProcess: no program given");
    FilePtr out = tempFile(), err = tempFile();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fileno(out.get()), 1);
    posix_spawn_file_actions_adddup2(&actions, fileno(err.get()), 2);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc == ENOENT) throw std::runtime_error(argv[0] + " was not found on PATH");
    if (rc != 0) throw std::runtime_error("cannot run " + argv[0] + ": " + std::strerror(rc));

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error("waiting for " + argv[0] + ": " + std::strerror(errno));
    }
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readAll(out.get());
    result.err = readAll(err.get());
    return result;
}

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string dirs = path;
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        if (access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace testgen
