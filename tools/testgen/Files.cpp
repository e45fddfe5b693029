#include "Files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

namespace testgen {
namespace {

std::runtime_error systemError(const std::string& what, const std::filesystem::path& path) {
    return std::runtime_error(what + " " + path.string() + ": " + std::strerror(errno));
}

}  // namespace

TempDir::TempDir(const std::filesystem::path& pattern) {
    std::string name = pattern.string();
    if (!mkdtemp(name.data())) throw systemError("cannot create a directory like", pattern);
    path_ = name;
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeFolderWhole(const std::string& dir, const std::function<void(const std::filesystem::path& folder)>& fill) {
    namespace fs = std::filesystem;
    fs::path target = fs::absolute(dir).lexically_normal();
    if (!target.has_filename()) target = target.parent_path();  // "samples/" names samples
    if (fs::exists(target) && !fs::is_empty(target))
        throw std::runtime_error(target.string() + " already exists and is not empty");
    fs::create_directories(target.parent_path());
    TempDir building(target.parent_path() / std::string(".").append(target.filename().string()).append(".tmp-XXXXXX"));
    fill(building.path());
    // mkdtemp's folder is the owner's alone; a finished one reads like any other.
    fs::permissions(building.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
    if (std::rename(building.path().c_str(), target.c_str()) != 0)
        throw std::runtime_error("cannot create " + target.string() + ": " + std::strerror(errno));
    building.release();
}

std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw systemError("cannot open", path);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw systemError("cannot read", path);
    return bytes;
}

void writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    std::string temp = path.string() + ".tmp-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) throw systemError("cannot create a file beside", path);
    bool ok = fchmod(fd, 0644) == 0;  // mkstemp's 0600 would hide recordings from other users
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += size_t(n);
    }
    ok = close(fd) == 0 && ok;
    if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        const std::runtime_error error = systemError("cannot write", path);
        unlink(temp.c_str());
        throw error;
    }
}

}  // namespace testgen
