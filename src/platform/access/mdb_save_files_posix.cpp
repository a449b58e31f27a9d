// The files of a save on POSIX systems: an exclusive flock on the file,
// mkstemp copies with the file's mode, rename() and a flush of the folder.
#include "platform/access/mdb_save_files.h"

#include "platform/access/mdb_cell_updater.h"
#include "platform/error.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace tallomar::mdb {

namespace {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

void writeAll(int fd, const QByteArray& bytes, const QString& path) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw Error(QStringLiteral("%1: cannot write: %2").arg(path, systemError()));
        done += n;
    }
    if (::fsync(fd) != 0) throw Error(QStringLiteral("%1: cannot flush to disk: %2").arg(path, systemError()));
}

// Makes the renames in `folder` durable.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

struct HeldFile::System {
    int fd = -1;
    unsigned mode = 0644;
    ~System() {
        if (fd >= 0) ::close(fd);
    }
};

QString regularFileBehind(const QString& path, const QString& name) {
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty()) throw Error(QStringLiteral("%1: the file does not exist").arg(name));
    struct stat status {};
    if (::stat(QFile::encodeName(target).constData(), &status) != 0)
        throw Error(QStringLiteral("%1: cannot look at the file: %2").arg(name, systemError()));
    if (!S_ISREG(status.st_mode))
        throw Error(QStringLiteral("%1: not a regular file; changes are written only to regular files").arg(name));
    return target;
}

HeldFile::HeldFile(const QString& path, const QString& name)
    : path_(path), name_(name), system_(std::make_unique<System>()) {
    const int fd = system_->fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw Error(QStringLiteral("%1: cannot open: %2").arg(name_, systemError()));
    const QString busy =
        QStringLiteral("%1: the file is being changed by another process; nothing was saved").arg(name_);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) throw FileBusy(busy);
    // A save that renamed its copy over the file between our open and our
    // lock leaves us holding the replaced file.
    struct stat locked {};
    struct stat named {};
    if (::fstat(fd, &locked) != 0 || ::stat(QFile::encodeName(path_).constData(), &named) != 0)
        throw Error(QStringLiteral("%1: cannot look at the file: %2").arg(name_, systemError()));
    if (locked.st_dev != named.st_dev || locked.st_ino != named.st_ino) throw FileBusy(busy);
    system_->mode = locked.st_mode & 07777;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        throw Error(QStringLiteral("%1: cannot read: %2").arg(name_, file.errorString()));
    bytes_ = file.readAll();
}

HeldFile::~HeldFile() = default;

QString HeldFile::writeCopy(const QString& stem, const QByteArray& bytes) const {
    const QString folder = QFileInfo(path_).absolutePath();
    QByteArray pattern = QFile::encodeName(copyPattern(folder, stem));
    const int fd = ::mkstemp(pattern.data());
    const QString path = QFile::decodeName(pattern);
    if (fd < 0) throw Error(QStringLiteral("%1: cannot create a file in the folder: %2").arg(folder, systemError()));
    try {
        if (::fchmod(fd, system_->mode) != 0)
            throw Error(QStringLiteral("%1: cannot set the file mode: %2").arg(path, systemError()));
        writeAll(fd, bytes, path);
    } catch (...) {
        ::close(fd);
        ::unlink(pattern.constData());
        throw;
    }
    ::close(fd);
    return path;
}

void HeldFile::replaceBy(const QString& copy, const QString& backupCopy, const QString& backup) {
    if (::rename(QFile::encodeName(backupCopy).constData(), QFile::encodeName(backup).constData()) != 0)
        throw Error(QStringLiteral("%1: cannot keep the previous file as %2: %3; nothing was saved")
                        .arg(name_, QFileInfo(backup).fileName(), systemError()));
    if (::rename(QFile::encodeName(copy).constData(), QFile::encodeName(path_).constData()) != 0)
        throw Error(QStringLiteral("%1: cannot replace the file: %2; nothing was saved").arg(name_, systemError()));
    syncFolder(QFileInfo(path_).absolutePath());
}

}  // namespace tallomar::mdb
