#include "platform/process/disk_full.h"

#include <windows.h>

namespace tallomar {

bool meansDiskFull(int systemError) {
    // A full quota reads as ERROR_DISK_FULL too on NTFS.
    return systemError == ERROR_DISK_FULL || systemError == ERROR_HANDLE_DISK_FULL;
}

}  // namespace tallomar
