#include "logic/params/value_rules.h"
#include "logic/params/parameter_types.h"

#include <gtest/gtest.h>

using namespace tallomar;

namespace {

bool saved(const QString& typeWord, const QString& value) {
    return !valueFault(typeWord, value).has_value();
}

}  // namespace

TEST(ValueRules, NumbersMustBeWholeNumbersOfTheirTypeAndEveryValueMustReadBackAsWritten) {
    for (const char* integer : {"0", "-1", "+5", "007", "2147483647", "-2147483648", ""})
        EXPECT_TRUE(saved(kIntegerType, QString::fromUtf8(integer))) << integer;
    for (const char* notInteger : {"-1.599", "1.5", "1e5", "1,000", "-", "--1", "1-", "2147483648", "-2147483649"})
        EXPECT_FALSE(saved(kIntegerType, QString::fromUtf8(notInteger))) << notInteger;
    EXPECT_EQ(valueFault(kIntegerType, QStringLiteral("1.5")), QStringLiteral("不是整数"));
    EXPECT_EQ(valueFault(kIntegerType, QStringLiteral("2147483648")),
              QStringLiteral("超出整数的范围 -2147483648 到 2147483647"));

    for (const char* real : {"1.5", "-1.5", ".5", "5.", "+5", "2e-3", "1.5E+10", "0", ""})
        EXPECT_TRUE(saved(kRealType, QString::fromUtf8(real))) << real;
    for (const char* notReal : {"1.2.3e5", "1.235.", "e5", "1e", ".", "-", "1,5", "1e999"})
        EXPECT_FALSE(saved(kRealType, QString::fromUtf8(notReal))) << notReal;
    EXPECT_EQ(valueFault(kRealType, QStringLiteral("1.2.3e5")), QStringLiteral("不是实数"));
    EXPECT_EQ(valueFault(kRealType, QStringLiteral("1e999")), QStringLiteral("超出实数的范围"));

    for (const QString& type : {kCharacterType, QString(), kIntegerType}) {
        EXPECT_TRUE(valueFault(type, QStringLiteral("1//2")).has_value()) << "read back as a comment";
        EXPECT_TRUE(valueFault(type, QString(256, QLatin1Char('1'))).has_value()) << "read back cut";
    }
    EXPECT_TRUE(saved(kCharacterType, QStringLiteral("a/b, c'd \"e\"")));
    EXPECT_TRUE(saved(kCharacterType, QString(255, QLatin1Char('a'))));
}

TEST(ValueRules, DateTypesHoldTheDatesOfTheirServerColumns) {
    const DateRange shortDates = dateRange(kShortDateType);
    EXPECT_EQ(shortDates.first, QDate(1900, 1, 1));
    EXPECT_EQ(shortDates.last, QDate(2079, 6, 6));
    EXPECT_EQ(shortDates.clamped(QDate(1899, 12, 31)), QDate(1900, 1, 1));
    EXPECT_EQ(shortDates.clamped(QDate(2080, 1, 1)), QDate(2079, 6, 6));
    EXPECT_EQ(shortDates.clamped(QDate(2026, 12, 9)), QDate(2026, 12, 9));
    const DateRange longDates = dateRange(kLongDateType);
    EXPECT_EQ(longDates.first, QDate(1753, 1, 1));
    EXPECT_EQ(longDates.last, QDate(9999, 12, 31));
}
