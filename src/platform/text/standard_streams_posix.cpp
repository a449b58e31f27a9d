#include "platform/text/standard_streams.h"

namespace tallomar {

// POSIX streams carry bytes as written, and terminals take UTF-8.
void useUtf8StandardStreams() {}

}  // namespace tallomar
