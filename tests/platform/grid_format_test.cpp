#include "platform/ui/grid_format.h"

#include <gtest/gtest.h>

namespace tallomar {
namespace {

TEST(GridFormatTest, HeadersAndAlignmentsOfTheDescriptionList) {
    const std::vector<GridColumnFormat> columns = parseGridFormat(QStringLiteral("ID|<操作步骤|^提示信息"));
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].header, QStringLiteral("ID"));
    EXPECT_EQ(columns[0].alignment, Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(columns[1].header, QStringLiteral("操作步骤"));
    EXPECT_EQ(columns[1].alignment, Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(columns[2].header, QStringLiteral("提示信息"));
    EXPECT_EQ(columns[2].alignment, Qt::AlignHCenter | Qt::AlignVCenter);
}

TEST(GridFormatTest, RightAlignedAndEmptyColumns) {
    const std::vector<GridColumnFormat> columns = parseGridFormat(QStringLiteral(">金额||<"));
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].header, QStringLiteral("金额"));
    EXPECT_EQ(columns[0].alignment, Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_TRUE(columns[1].header.isEmpty());
    EXPECT_TRUE(columns[2].header.isEmpty());
}

}  // namespace
}  // namespace tallomar
