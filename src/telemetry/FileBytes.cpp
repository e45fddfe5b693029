#include "FileBytes.h"

#include <fcntl.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace telemetry {
namespace {

// Opens a regular file for reading without ever blocking: O_NONBLOCK keeps a FIFO
// from waiting for a writer. Returns -1 with errno set.
int openRegular(const std::string& path, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        errno = e;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    return fd;
}

// A file that shrinks while mapped raises SIGBUS on access to the lost pages.
// Copies out of the mapping run under a per-thread jump target so that such a
// fault becomes a failed read instead of the end of the process.
thread_local sigjmp_buf* volatile activeJump = nullptr;
struct sigaction previousBusAction;

void onBusError(int sig, siginfo_t* info, void* context) {
    if (activeJump) siglongjmp(*activeJump, 1);
    // Not ours: behave as if we had never been installed.
    if (previousBusAction.sa_flags & SA_SIGINFO) {
        previousBusAction.sa_sigaction(sig, info, context);
        return;
    }
    if (previousBusAction.sa_handler != SIG_DFL && previousBusAction.sa_handler != SIG_IGN) {
        previousBusAction.sa_handler(sig);
        return;
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

void installBusHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &previousBusAction);
    });
}

bool guardedCopy(uint8_t* out, const uint8_t* from, size_t length) {
    sigjmp_buf jump;
    if (sigsetjmp(jump, 1) != 0) {
        activeJump = nullptr;
        return false;
    }
    activeJump = &jump;
    // memcpy touches no other memory as far as the compiler knows; without the fences
    // it could drop the store above as dead before the handler ever sees it.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::memcpy(out, from, length);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    activeJump = nullptr;
    return true;
}

}  // namespace

std::string unreadableReason(const std::string& path) {
    struct stat st {};
    const int fd = openRegular(path, st);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    return {};
}

MappedFile::MappedFile(const std::string& path) {
    struct stat st {};
    const int fd = openRegular(path, st);
    if (fd < 0) return;
    if (st.st_size > 0) {
        void* p = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (p != MAP_FAILED) {
            base_ = static_cast<const uint8_t*>(p);
            size_ = uint64_t(st.st_size);
            installBusHandler();
        }
    }
    ::close(fd);  // the mapping keeps the file
}

MappedFile::~MappedFile() {
    if (base_) ::munmap(const_cast<uint8_t*>(base_), size_t(size_));
}

bool MappedFile::read(uint64_t offset, size_t length, uint8_t* out) const {
    if (!contains(offset, length)) return false;
    if (length == 0) return true;
    return guardedCopy(out, base_ + offset, length);
}

WholeFile::WholeFile(const std::string& path) {
    struct stat st {};
    const int fd = openRegular(path, st);
    if (fd < 0) return;
    bytes_.resize(size_t(st.st_size));
    size_t done = 0;
    while (done < bytes_.size()) {
        const ssize_t n = ::read(fd, bytes_.data() + done, bytes_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    bytes_.resize(done);
    ::close(fd);
}

bool WholeFile::read(uint64_t offset, size_t length, uint8_t* out) const {
    if (!contains(offset, length)) return false;
    if (length) std::memcpy(out, bytes_.data() + offset, length);
    return true;
}

}  // namespace telemetry
