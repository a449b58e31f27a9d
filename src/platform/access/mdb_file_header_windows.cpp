// The first page of a tool database on Windows: a folder or a device named
// like the file is refused before anything is read.
#include "platform/access/mdb_file_header.h"

#include "platform/error.h"

#include <windows.h>
#include <QDir>
#include <QFileInfo>

namespace tallomar::mdb {

FileHeader readFileHeader(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw Error(QStringLiteral("%1: not a regular file (a folder), not an Access database").arg(name));
    // Others may go on reading and writing: reading the header takes nothing from them.
    const HANDLE file =
        CreateFileW(native.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            throw Error(QStringLiteral("%1: the file does not exist").arg(path));
        throw Error(QStringLiteral("%1: cannot open the file: %2").arg(path, qt_error_string(int(error))));
    }
    struct Closer {
        HANDLE file;
        ~Closer() { CloseHandle(file); }
    } closer{file};
    if (GetFileType(file) != FILE_TYPE_DISK)
        throw Error(QStringLiteral("%1: not a regular file (a device), not an Access database").arg(name));
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size))
        throw Error(QStringLiteral("%1: cannot read the file: %2").arg(path, qt_error_string(int(GetLastError()))));
    QByteArray firstPage(4096, '\0');
    DWORD read = 0;
    if (!ReadFile(file, firstPage.data(), DWORD(firstPage.size()), &read, nullptr))
        throw Error(QStringLiteral("%1: cannot read the file: %2").arg(path, qt_error_string(int(GetLastError()))));
    firstPage.truncate(read);
    return parseFileHeader(firstPage, size.QuadPart, name);
}

}  // namespace tallomar::mdb
