#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tallomar::fuzz {

// A file held in memory under the name the code under test expects
// (ZOL.mdb): an anonymous memory file, reached through a symbolic link of
// that name in a temporary folder. Rewriting it for every input costs no
// disk write, where a file on ext4 that is cut and written again is flushed
// when it is closed.
class MemoryFile {
public:
    explicit MemoryFile(const QString& name);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const QString& path() const { return path_; }
    // Replaces the whole content.
    void write(const char* data, qsizetype size);

private:
    QTemporaryDir folder_;
    int fd_;
    QString path_;
};

}  // namespace tallomar::fuzz
