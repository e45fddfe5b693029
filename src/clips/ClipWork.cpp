#include "ClipWork.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <vector>

namespace clips {
namespace {

constexpr char kPrefix[] = "dashcam-clip-";

// The self-pipe through which a signal handler hands the signal to the event loop.
int signalPipe[2] = {-1, -1};

void onSignal(int signal) {
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

struct Watch {
    std::vector<const SignalCleanup*> live;
    std::vector<int> caught;  // the signals whose handler is ours
    QSocketNotifier* notifier = nullptr;
};

Watch& watch() {
    static Watch w;
    return w;
}

void signalled() {
    char signal = 0;
    if (::read(signalPipe[0], &signal, 1) != 1) return;
    const auto live = watch().live;
    for (const SignalCleanup* cleanup : live) cleanup->run();
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

void startWatching() {
    Watch& w = watch();
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    w.notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(w.notifier, &QSocketNotifier::activated, w.notifier, [] { signalled(); });
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        // One that is ignored (nohup, a background job's SIGINT) stays ignored.
        if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
        struct sigaction ours {};
        ours.sa_handler = onSignal;
        ours.sa_flags = SA_RESTART;
        sigemptyset(&ours.sa_mask);
        if (::sigaction(signal, &ours, nullptr) == 0) w.caught.push_back(signal);
    }
}

void stopWatching() {
    Watch& w = watch();
    for (const int signal : w.caught) std::signal(signal, SIG_DFL);
    w.caught.clear();
    delete w.notifier;
    w.notifier = nullptr;
}

}  // namespace

std::unique_ptr<QTemporaryDir> makeWorkFolder() {
    return std::make_unique<QTemporaryDir>(
        QDir(QDir::tempPath()).filePath(QString("%1%2-XXXXXX").arg(kPrefix).arg(::getpid())));
}

void sweepWorkFolders() {
    static const QRegularExpression name(QString("^%1(\\d+)-").arg(kPrefix));
    const QDir::Filters filters = QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks;
    const QFileInfoList folders = QDir(QDir::tempPath()).entryInfoList({QString(kPrefix) + "*"}, filters);
    for (const QFileInfo& folder : folders) {
        const QRegularExpressionMatch match = name.match(folder.fileName());
        // Another user's folders in a shared /tmp are theirs to sweep.
        if (!match.hasMatch() || folder.ownerId() != ::getuid()) continue;
        bool ok = false;
        const pid_t pid = match.captured(1).toInt(&ok);
        if (!ok || pid <= 0 || pid == ::getpid()) continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
        QDir(folder.filePath()).removeRecursively();
    }
}

void dieWithParent(QProcess& process) {
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);  // the parent was gone before the line above
    });
}

QString linkedInput(const QByteArray& path, const QString& folder, int n, QString* error) {
    std::error_code failed;
    const std::filesystem::path target = std::filesystem::absolute(path.toStdString(), failed);
    const QString link = QDir(folder).filePath(QString("input-%1.mp4").arg(n));
    if (failed) {
        *error = QString::fromLocal8Bit(failed.message().c_str());
        return {};
    }
    if (::symlink(target.c_str(), QFile::encodeName(link).constData()) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return {};
    }
    return "file:" + link;
}

SignalCleanup::SignalCleanup(std::function<void()> cleanup) : cleanup_(std::move(cleanup)) {
    Watch& w = watch();
    if (w.live.empty()) startWatching();
    w.live.push_back(this);
}

SignalCleanup::~SignalCleanup() {
    Watch& w = watch();
    w.live.erase(std::remove(w.live.begin(), w.live.end(), this), w.live.end());
    if (w.live.empty()) stopWatching();
}

}  // namespace clips
