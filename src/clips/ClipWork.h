#pragma once
// What a clip in progress owns besides its target: a work folder named after the
// process, so that a later run can tell a dead one's leftovers; helper programs
// that must not outlive it; and a cleanup when it is told to stop by a signal.

#include <functional>
#include <memory>

#include <QByteArray>
#include <QString>

class QProcess;
class QTemporaryDir;

namespace clips {

// A fresh folder "dashcam-clip-<pid>-XXXXXX" in the temporary folder.
std::unique_ptr<QTemporaryDir> makeWorkFolder();

// Removes the work folders that processes now gone left behind (killed before they
// could clean up); those of live processes stay.
void sweepWorkFolders();

// The child is killed when this process ends, however it ends.
void dieWithParent(QProcess& process);

// A name under which ffmpeg and ffprobe read the file at path, whatever its bytes:
// QProcess hands arguments over as UTF-8, and ffmpeg takes "name:" for a protocol
// and "-" for standard input. So a link in folder, numbered n, points at path's
// absolute name, and the link is given with the "file:" protocol. Empty, with
// *error set, when the link cannot be made.
QString linkedInput(const QByteArray& path, const QString& folder, int n, QString* error);

// While one lives, SIGINT, SIGTERM and SIGHUP (those not ignored) run every live
// one's cleanup on the main thread, then end the process as the signal would have.
class SignalCleanup {
public:
    explicit SignalCleanup(std::function<void()> cleanup);
    ~SignalCleanup();
    SignalCleanup(const SignalCleanup&) = delete;
    SignalCleanup& operator=(const SignalCleanup&) = delete;

    void run() const { cleanup_(); }

private:
    std::function<void()> cleanup_;
};

}  // namespace clips
