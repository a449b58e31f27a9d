// The files of a save on Windows. The file is held open for reading with
// others allowed to read and to rename it, not to write it: a program that
// has it open for writing (Access does) makes the save refuse as busy, and
// none can open it for writing until the save is over. Our other saves are
// kept out by a byte-range lock far past the end of the file, which no
// reader of the file's bytes meets. The copies take its place with
// MoveFileExW and MOVEFILE_WRITE_THROUGH, which returns once the rename is
// on disk.
#include "platform/access/mdb_save_files.h"

#include "platform/access/mdb_cell_updater.h"
#include "platform/error.h"

#include <windows.h>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

namespace tallomar::mdb {

namespace {

// The byte-range lock that marks a running save: far past the end of any
// file, where it blocks no read of the file's contents.
constexpr DWORD kSaveLockOffsetHigh = 0x7fff0000;

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

QString systemMessage(DWORD error) {
    return qt_error_string(int(error));
}

bool isBusy(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

QString randomLettersAndDigits(int count) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString text;
    for (int i = 0; i < count; ++i)
        text += QLatin1Char(kAlphabet[QRandomGenerator::system()->bounded(int(sizeof kAlphabet - 1))]);
    return text;
}

void writeAll(HANDLE file, const QByteArray& bytes, const QString& path) {
    for (qsizetype done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD piece = DWORD(std::min<qsizetype>(bytes.size() - done, 1 << 30));
        if (!WriteFile(file, bytes.constData() + done, piece, &written, nullptr) || written == 0)
            throw Error(QStringLiteral("%1: cannot write: %2").arg(path, systemMessage(GetLastError())));
        done += written;
    }
    if (!FlushFileBuffers(file))
        throw Error(QStringLiteral("%1: cannot flush to disk: %2").arg(path, systemMessage(GetLastError())));
}

}  // namespace

struct HeldFile::System {
    HANDLE file = INVALID_HANDLE_VALUE;
    ~System() {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
};

QString regularFileBehind(const QString& path, const QString& name) {
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty()) throw Error(QStringLiteral("%1: the file does not exist").arg(name));
    if (!QFileInfo(target).isFile())
        throw Error(QStringLiteral("%1: not a regular file; changes are written only to regular files").arg(name));
    return target;
}

HeldFile::HeldFile(const QString& path, const QString& name)
    : path_(path), name_(name), system_(std::make_unique<System>()) {
    const QString busy = QStringLiteral(
                             "%1: the file is open in another program or being changed by another process; "
                             "nothing was saved")
                             .arg(name_);
    system_->file = CreateFileW(native(path_).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (system_->file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (isBusy(error)) throw FileBusy(busy);
        throw Error(QStringLiteral("%1: cannot open: %2").arg(name_, systemMessage(error)));
    }
    OVERLAPPED at{};
    at.OffsetHigh = kSaveLockOffsetHigh;
    if (!LockFileEx(system_->file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
        throw FileBusy(busy);
    // A save that renamed its copy over the file between our open and our
    // lock leaves us holding the replaced file.
    BY_HANDLE_FILE_INFORMATION held{};
    if (!GetFileInformationByHandle(system_->file, &held))
        throw Error(QStringLiteral("%1: cannot look at the file: %2").arg(name_, systemMessage(GetLastError())));
    const HANDLE named = CreateFileW(native(path_).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    BY_HANDLE_FILE_INFORMATION now{};
    const bool same = named != INVALID_HANDLE_VALUE && GetFileInformationByHandle(named, &now) &&
                      now.dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
                      now.nFileIndexHigh == held.nFileIndexHigh && now.nFileIndexLow == held.nFileIndexLow;
    if (named != INVALID_HANDLE_VALUE) CloseHandle(named);
    if (!same) throw FileBusy(busy);
    // Windows would refuse the rename over it at the very end.
    if (held.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        throw Error(QStringLiteral("%1: the file is read-only; nothing was saved").arg(name_));

    LARGE_INTEGER size;
    if (!GetFileSizeEx(system_->file, &size))
        throw Error(QStringLiteral("%1: cannot read: %2").arg(name_, systemMessage(GetLastError())));
    bytes_ = QByteArray(qsizetype(size.QuadPart), Qt::Uninitialized);
    for (qsizetype done = 0; done < bytes_.size();) {
        DWORD read = 0;
        const DWORD piece = DWORD(std::min<qsizetype>(bytes_.size() - done, 1 << 30));
        if (!ReadFile(system_->file, bytes_.data() + done, piece, &read, nullptr) || read == 0)
            throw Error(QStringLiteral("%1: cannot read: %2").arg(name_, systemMessage(GetLastError())));
        done += read;
    }
}

HeldFile::~HeldFile() = default;

QString HeldFile::writeCopy(const QString& stem, const QByteArray& bytes) const {
    const QString folder = QFileInfo(path_).absolutePath();
    QString path;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        path = copyPattern(folder, stem);
        path.replace(path.size() - 6, 6, randomLettersAndDigits(6));
        file = CreateFileW(native(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            throw Error(QStringLiteral("%1: cannot create a file in the folder: %2")
                            .arg(folder, systemMessage(GetLastError())));
    }
    if (file == INVALID_HANDLE_VALUE)
        throw Error(QStringLiteral("%1: cannot create a file in the folder: every name tried is taken").arg(folder));
    try {
        writeAll(file, bytes, path);
    } catch (...) {
        CloseHandle(file);
        DeleteFileW(native(path).c_str());
        throw;
    }
    CloseHandle(file);
    return path;
}

void HeldFile::replaceBy(const QString& copy, const QString& backupCopy, const QString& backup) {
    constexpr DWORD kRename = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (!MoveFileExW(native(backupCopy).c_str(), native(backup).c_str(), kRename)) {
        const DWORD error = GetLastError();
        throw Error(QStringLiteral("%1: cannot keep the previous file as %2: %3; nothing was saved")
                        .arg(name_, QFileInfo(backup).fileName(), systemMessage(error)));
    }
    // A file cannot be renamed over while open, our own handle included. A
    // program that opens it in the moment between makes the rename fail as
    // busy; another save would hold it open too, so that at most one wins.
    CloseHandle(system_->file);
    system_->file = INVALID_HANDLE_VALUE;
    if (!MoveFileExW(native(copy).c_str(), native(path_).c_str(), kRename)) {
        const DWORD error = GetLastError();
        const QString message =
            QStringLiteral("%1: cannot replace the file: %2; nothing was saved").arg(name_, systemMessage(error));
        if (isBusy(error) || error == ERROR_ACCESS_DENIED) throw FileBusy(message);
        throw Error(message);
    }
}

}  // namespace tallomar::mdb
