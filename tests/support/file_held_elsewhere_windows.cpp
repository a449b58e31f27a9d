#include "support/file_held_elsewhere.h"

#include <windows.h>
#include <QDir>

namespace tallomar::test {

struct FileHeldElsewhere::System {
    HANDLE file = INVALID_HANDLE_VALUE;
};

FileHeldElsewhere::FileHeldElsewhere(const QString& path) : system_(std::make_unique<System>()) {
    system_->file =
        CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    held_ = system_->file != INVALID_HANDLE_VALUE;
}

FileHeldElsewhere::~FileHeldElsewhere() {
    if (system_->file != INVALID_HANDLE_VALUE) CloseHandle(system_->file);
}

}  // namespace tallomar::test
