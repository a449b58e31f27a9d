// Jet 4 text as Access stores it: plain UTF-16, or "compressed" runs of one
// byte per character between zero bytes.
#include "text_values.h"

#include <gtest/gtest.h>

namespace tallomar::test {
namespace {

std::optional<QString> decoded(const QByteArray& bytes) {
    return mdb::jet4Text(bytes.constData(), static_cast<size_t>(bytes.size()));
}

TEST(Jet4Text, CompressedRunsPlainRunsAndSurrogatePairsDecodeExactly) {
    // "ab", then 中 (U+4E2D) as UTF-16, then "c" compressed again.
    EXPECT_EQ(decoded(QByteArray("\xff\xfe"
                                 "ab\x00\x2d\x4e\x00"
                                 "c",
                                 9)),
              QStringLiteral("ab中c"));
    // Without the mark a zero byte is half a character: 一 is U+4E00.
    EXPECT_EQ(decoded(QByteArray("\x00\x4e\x41\x00", 4)), QStringLiteral("一A"));
    // 𠀀 (U+20000) is the pair D840 DC00.
    EXPECT_EQ(decoded(QByteArray("\x40\xd8\x00\xdc", 4)), QStringLiteral("𠀀"));
    // 𠀁 (D840 DC01) in a UTF-16 run of a compressed value.
    EXPECT_EQ(decoded(QByteArray("\xff\xfe"
                                 "x\x00\x40\xd8\x01\xdc",
                                 8)),
              QStringLiteral("x𠀁"));
    EXPECT_EQ(decoded(QByteArray()), QString());
}

TEST(Jet4Text, HalfACharacterAtTheEndIsDamage) {
    EXPECT_FALSE(decoded(QByteArray("\x41\x00\x42", 3)));
    EXPECT_FALSE(
        decoded(QByteArray("\xff\xfe"
                           "a\x00\x41",
                           5)));
}

}  // namespace
}  // namespace tallomar::test
