#include "support/file_held_elsewhere.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QFile>

namespace tallomar::test {

struct FileHeldElsewhere::System {
    int fd = -1;
};

FileHeldElsewhere::FileHeldElsewhere(const QString& path) : system_(std::make_unique<System>()) {
    system_->fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    // flock locks belong to the open file description: a second open conflicts.
    held_ = system_->fd >= 0 && ::flock(system_->fd, LOCK_EX) == 0;
}

FileHeldElsewhere::~FileHeldElsewhere() {
    if (system_->fd >= 0) ::close(system_->fd);
}

}  // namespace tallomar::test
