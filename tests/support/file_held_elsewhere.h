#pragma once

#include <QString>
#include <memory>

namespace tallomar::test {

// A file held as another program changing it holds it, for as long as the
// object lives: on POSIX systems an exclusive flock (what another save
// takes), on Windows a handle open for writing that lets others read and
// write but not delete (what Access holds on an open database).
class FileHeldElsewhere {
public:
    explicit FileHeldElsewhere(const QString& path);
    ~FileHeldElsewhere();
    FileHeldElsewhere(const FileHeldElsewhere&) = delete;
    FileHeldElsewhere& operator=(const FileHeldElsewhere&) = delete;

    bool held() const { return held_; }

private:
    struct System;
    std::unique_ptr<System> system_;
    bool held_ = false;
};

}  // namespace tallomar::test
