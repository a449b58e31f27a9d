#include "memory_file.h"

#include <sys/mman.h>
#include <unistd.h>
#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace tallomar::fuzz {

namespace {

// Without its file the target cannot run at all.
[[noreturn]] void cannot(const char* what) {
    std::perror(what);
    std::abort();
}

}  // namespace

MemoryFile::MemoryFile(const QString& name) : fd_(memfd_create("fuzz-input", MFD_CLOEXEC)) {
    if (fd_ < 0) cannot("memfd_create");
    path_ = folder_.filePath(name);
    const QByteArray target = QByteArray("/proc/self/fd/") + QByteArray::number(fd_);
    if (!folder_.isValid() || symlink(target.constData(), QFile::encodeName(path_).constData()) != 0)
        cannot("symlink to the memory file");
}

MemoryFile::~MemoryFile() {
    close(fd_);
}

void MemoryFile::write(const char* data, qsizetype size) {
    for (qsizetype done = 0; done < size;) {
        const ssize_t n = pwrite(fd_, data + done, static_cast<size_t>(size - done), done);
        if (n <= 0) cannot("pwrite");
        done += n;
    }
    if (ftruncate(fd_, size) != 0) cannot("ftruncate");
}

}  // namespace tallomar::fuzz
