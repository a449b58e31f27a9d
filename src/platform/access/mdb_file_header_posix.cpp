// The first page of a tool database on POSIX systems, read without waiting
// on a FIFO or device that stands where the file should.
#include "platform/access/mdb_file_header.h"

#include "platform/error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>

namespace tallomar::mdb {

namespace {

QString fileKind(mode_t mode) {
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISFIFO(mode)) return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    return QStringLiteral("a special file");
}

}  // namespace

FileHeader readFileHeader(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    // Opened without blocking and checked before anything is read: a FIFO
    // or a device named like the file must be refused, never waited on.
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) throw Error(QStringLiteral("%1: the file does not exist").arg(path));
        throw Error(
            QStringLiteral("%1: cannot open the file: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    const auto closeFile = qScopeGuard([fd] { close(fd); });
    struct stat status {};
    if (fstat(fd, &status) != 0)
        throw Error(
            QStringLiteral("%1: cannot read the file: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    if (!S_ISREG(status.st_mode))
        throw Error(
            QStringLiteral("%1: not a regular file (%2), not an Access database").arg(name, fileKind(status.st_mode)));
    QByteArray firstPage(4096, '\0');
    const ssize_t n = pread(fd, firstPage.data(), static_cast<size_t>(firstPage.size()), 0);
    if (n < 0)
        throw Error(
            QStringLiteral("%1: cannot read the file: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    firstPage.truncate(n);
    return parseFileHeader(firstPage, status.st_size, name);
}

}  // namespace tallomar::mdb
