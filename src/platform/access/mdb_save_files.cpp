#include "platform/access/mdb_save_files.h"

#include "platform/error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallomar::mdb {

namespace {

constexpr qint64 kStaleAfterSeconds = 60;
// Marks the copies a save writes, so that the removal of stale ones never
// meets a file a person named: ".ZOL.mdb.backup" is someone's, not ours.
constexpr char kCopyMarker[] = "~tallomar-save~";

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

void writeAll(int fd, const QByteArray& bytes, const QString& path)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw Error(QStringLiteral("%1: cannot write: %2").arg(path, systemError()));
        done += n;
    }
    if (::fsync(fd) != 0)
        throw Error(QStringLiteral("%1: cannot flush to disk: %2").arg(path, systemError()));
}

}  // namespace

QString regularFileBehind(const QString& path, const QString& name)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty())
        throw Error(QStringLiteral("%1: the file does not exist").arg(name));
    struct stat status {};
    if (::stat(QFile::encodeName(target).constData(), &status) != 0)
        throw Error(QStringLiteral("%1: cannot look at the file: %2").arg(name, systemError()));
    if (!S_ISREG(status.st_mode))
        throw Error(QStringLiteral("%1: not a regular file; changes are written only to regular files").arg(name));
    return target;
}

QString writeTemporary(const QString& folder, const QString& stem, const QByteArray& bytes, unsigned mode)
{
    QByteArray pattern = QFile::encodeName(
        QDir(folder).filePath(QStringLiteral(".%1.%2XXXXXX").arg(stem, QLatin1String(kCopyMarker))));
    const int fd = ::mkstemp(pattern.data());
    const QString path = QFile::decodeName(pattern);
    if (fd < 0)
        throw Error(QStringLiteral("%1: cannot create a file in the folder: %2").arg(folder, systemError()));
    try {
        if (::fchmod(fd, mode) != 0)
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

void removeStaleCopies(const QString& folder, const QString& fileName)
{
    // mkstemp replaces XXXXXX with six letters or digits.
    const QRegularExpression copyName(QStringLiteral("^\\.%1(\\.bak)?\\.%2[A-Za-z0-9]{6}$")
                                          .arg(QRegularExpression::escape(fileName),
                                               QRegularExpression::escape(QLatin1String(kCopyMarker))));
    const QDateTime staleBefore = QDateTime::currentDateTimeUtc().addSecs(-kStaleAfterSeconds);
    const QFileInfoList entries = QDir(folder).entryInfoList({QStringLiteral(".") + fileName + QStringLiteral(".*")},
                                                             QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink() || !copyName.match(entry.fileName()).hasMatch())
            continue;
        if (entry.lastModified() < staleBefore)
            QFile::remove(entry.filePath());
    }
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace tallomar::mdb
