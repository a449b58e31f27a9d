#include "platform/process/disk_full.h"

#include <cerrno>

namespace tallomar {

bool meansDiskFull(int systemError) {
    return systemError == ENOSPC || systemError == EDQUOT;
}

}  // namespace tallomar
