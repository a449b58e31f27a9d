#include "platform/text/codepage.h"

namespace tallomar::codepage {

int gbkByteWidth(QChar c) {
    if (c.unicode() < 0x80) return 1;
    const auto bytes = encodeGbk(QStringView(&c, 1));
    return bytes && bytes->size() == 2 ? 2 : 1;
}

}  // namespace tallomar::codepage
