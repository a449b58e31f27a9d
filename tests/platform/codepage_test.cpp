#include "platform/text/codepage.h"

#include <gtest/gtest.h>

using namespace tallomar::codepage;

TEST(Codepage, ChineseTextRoundTripsThroughGbk) {
    const QString text = QStringLiteral("校验 订正 ZOL");
    const auto bytes = encodeGbk(text);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 4 + 1 + 4 + 1 + 3);
    EXPECT_EQ(decodeGbk(*bytes), text);
}

TEST(Codepage, InvalidBytesAndUnmappableCharactersAreReportedNotReplaced) {
    EXPECT_FALSE(decodeGbk(QByteArray("ab\x81", 3)));    // lead byte without its trail byte
    EXPECT_FALSE(decodeGbk(QByteArray("\x81\x20", 2)));  // trail byte out of range
    EXPECT_FALSE(encodeGbk(QStringLiteral("emoji \U0001F600")));
}

TEST(Codepage, ByteWidthCountsDoubleByteCodesAsTwo) {
    EXPECT_EQ(gbkByteWidth(QChar(u'A')), 1);
    EXPECT_EQ(gbkByteWidth(QChar(u'校')), 2);
    EXPECT_EQ(gbkByteWidth(QChar(u'，')), 2);
    EXPECT_EQ(gbkByteWidth(QChar(0x0E01)), 1);  // Thai: no GBK code
}
