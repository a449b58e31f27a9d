#include "platform/ui/dialogs.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

using namespace tallomar;

TEST(Dialogs, MessageBoxesReachTheSeamWithIconTextAndDefaultTitle) {
    test::ScriptedDialogs dialogs;
    dialogs.acceptMessage();
    showMessage(nullptr, MessageIcon::Exclamation, QStringLiteral("找不到系统数据库,请与供应商联系!"));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("找不到系统数据库,请与供应商联系!"));
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("Tallomar"));
}

TEST(Dialogs, InputBoxGivesTheAnswerOrNothingOnCancel) {
    test::ScriptedDialogs dialogs;
    dialogs.answerText(QStringLiteral("pa'ss"));
    dialogs.cancelInput();
    EXPECT_EQ(askText(nullptr, QStringLiteral("请输入SA口令"), QString(), QString()), QStringLiteral("pa'ss"));
    EXPECT_EQ(askText(nullptr, QStringLiteral("请输入SA口令"), QString(), QString()), std::nullopt);
    EXPECT_EQ(dialogs.shown()[1].text, QStringLiteral("请输入SA口令"));
}
