#include "sandbox/sql_batch.h"

#include "sandbox/utf16.h"

namespace tallomar::sandbox {

std::string sqlBatchText(const std::vector<unsigned char>& payload) {
    // ALL_HEADERS starts with its total length.
    std::size_t start = 0;
    if (payload.size() >= 4) {
        const std::size_t headers =
            payload[0] | (payload[1] << 8) | (payload[2] << 16) | (static_cast<std::size_t>(payload[3]) << 24);
        if (headers >= 4 && headers <= payload.size()) start = headers;
    }
    return utf16ToUtf8(utf16FromBytes(payload.data() + start, (payload.size() - start) / 2));
}

}  // namespace tallomar::sandbox
