#pragma once

#include <string>
#include <vector>

// The SQL batch message: ALL_HEADERS (TDS 7.2 and later), then the batch
// text in UTF-16LE.
namespace tallomar::sandbox {

// The batch text in UTF-8. A header block whose length does not fit the
// message is taken for text; an odd last byte is dropped.
std::string sqlBatchText(const std::vector<unsigned char>& payload);

}  // namespace tallomar::sandbox
