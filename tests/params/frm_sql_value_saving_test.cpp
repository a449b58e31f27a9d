// The parameter window tells what it saved and refuses what it cannot save
// as typed.
#include "parameter_window_fixture.h"

#include "logic/params/date_text.h"

#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tallomar;
using test::ParameterWindow;

namespace {

const QString kRefusalAdvice = QStringLiteral("，没有保存。\n请改正，或按 Esc 恢复原来的值。");

}  // namespace

TEST_F(ParameterWindow, EveryWriteIsConfirmedInTheStatusLineNamingTheParameterAndItsFile) {
    const QString reqFile = QDir::toNativeSeparators(package.path(QStringLiteral("req.ini")));
    openEditor(1);
    QTest::keyClicks(&textBox(), QStringLiteral("2027"));
    EXPECT_EQ(wholeStatus(), QString()) << "nothing is saved while the value is typed";
    QTest::keyClick(&textBox(), Qt::Key_Return);
    EXPECT_EQ(fileValue(QStringLiteral("req.ini"), 1), QStringLiteral("2027"));
    EXPECT_EQ(wholeStatus(), QStringLiteral("已保存 年度 = “2027” 到 ") + reqFile);
    const QLabel& line = *window->findChild<QLabel*>(QStringLiteral("labStatus"));
    EXPECT_TRUE(status().startsWith(QStringLiteral("已保存 年度"))) << status().toStdString();
    EXPECT_TRUE(status().endsWith(QStringLiteral("req.ini"))) << "a long path gives up its middle";
    EXPECT_LE(line.fontMetrics().horizontalAdvance(status()), line.width());
    EXPECT_GE(line.y(), window->findChild<QPushButton*>(QStringLiteral("cmdExit"))->geometry().bottom());
    EXPECT_LE(line.geometry().bottom(), window->height()) << "the line lies below the buttons, inside the window";

    // A number saved is the number typed, exponent and all; the status names
    // the parameter written, not the one the editor moved on to.
    QTest::keyClick(&parameters(), Qt::Key_Return);
    QTest::keyClicks(&textBox(), QStringLiteral("2.5e-3"));
    clickCell(parameters(), 3, 4);
    EXPECT_EQ(fileValue(QStringLiteral("req.ini"), 2), QStringLiteral("2.5e-3"));
    EXPECT_EQ(wholeStatus(), QStringLiteral("已保存 比率 = “2.5e-3” 到 ") + reqFile);

    // An unchanged value writes nothing, so the status still tells the last write.
    openEditor(3);
    QTest::keyClick(&textBox(), Qt::Key_Return);
    EXPECT_EQ(wholeStatus(), QStringLiteral("已保存 比率 = “2.5e-3” 到 ") + reqFile);

    // Escape gives up the edit: the cell shows the file's value again.
    openEditor(3);
    QTest::keyClicks(&textBox(), QStringLiteral("xyz"));
    QTest::keyClick(&textBox(), Qt::Key_Escape);
    EXPECT_FALSE(textBox().isVisible());
    EXPECT_EQ(parameters().textMatrix(3, 4), QStringLiteral("abc"));
    EXPECT_EQ(fileValue(QStringLiteral("req.ini"), 3), QStringLiteral("abc"));
    EXPECT_EQ(wholeStatus(), QStringLiteral("已取消修改：备注 仍为“abc”"));

    // A date is confirmed the same way.
    clickCell(scripts(), 3, 2);
    openEditor(1);
    QTest::keyClick(&datePicker(), Qt::Key_Return);
    const QString today = dateText(QDate::currentDate());
    EXPECT_EQ(fileValue(QStringLiteral("types.ini"), 1), today);
    EXPECT_EQ(wholeStatus(), QStringLiteral("已保存 日期 = “%1” 到 %2")
                                 .arg(today, QDir::toNativeSeparators(package.path(QStringLiteral("types.ini")))));
}

TEST_F(ParameterWindow, AMistypedNumberIsRefusedWithABoxAndStaysInItsEditorUntilCorrected) {
    openEditor(1);
    QTest::keyClicks(&textBox(), QStringLiteral("-1.5x99"));
    EXPECT_EQ(textBox().text(), QStringLiteral("-1.599")) << "the key filter drops the letter only";
    dialogs.acceptMessage();
    QTest::keyClick(&textBox(), Qt::Key_Return);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("参数 年度 的值“-1.599”不是整数") + kRefusalAdvice);
    EXPECT_TRUE(textBox().isVisible());
    EXPECT_TRUE(textBox().hasFocus());
    EXPECT_EQ(textBox().text(), QStringLiteral("-1.599"));
    EXPECT_EQ(parameters().row(), 1) << "Enter did not move on";
    EXPECT_EQ(fileValue(QStringLiteral("req.ini"), 1), QString());
    EXPECT_TRUE(writable(QStringLiteral("req.ini"))) << "the file was not touched";
    EXPECT_EQ(wholeStatus(), QStringLiteral("未保存：年度 的值“-1.599”不是整数"));

    // Every other way out is refused too, the same text without a second box:
    // another cell, another script, the buttons, the window's close.
    clickCell(parameters(), 3, 4);
    clickCell(scripts(), 2, 2);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdExit")), Qt::LeftButton);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(textBox().isVisible());
    EXPECT_TRUE(textBox().hasFocus());
    EXPECT_EQ(parameters().row(), 1);
    EXPECT_EQ(parameters().col(), 4);
    EXPECT_EQ(textBox().geometry().topLeft(), parameters().currentCellGeometry().topLeft())
        << "the editor still covers its own cell";
    EXPECT_EQ(scripts().row(), 1);
    EXPECT_EQ(scripts().item(1, 2)->background().color(), test::kPaleCyan);
    EXPECT_EQ(parameters().textMatrix(1, 1), QStringLiteral("年度")) << "the first script's parameters";
    EXPECT_EQ(fileValue(QStringLiteral("req.ini"), 1), QString());

    // Corrected, it is saved as typed and the editor moves on.
    for (int i = 0; i < 4; ++i) QTest::keyClick(&textBox(), Qt::Key_Backspace);
    QTest::keyClick(&textBox(), Qt::Key_Return);
    EXPECT_EQ(fileValue(QStringLiteral("req.ini"), 1), QStringLiteral("-1"));
    EXPECT_EQ(parameters().row(), 2);

    // A real with two decimal points and an exponent is refused whole, and
    // Escape gives the cell back its value.
    QTest::keyClick(&parameters(), Qt::Key_Return);
    QTest::keyClicks(&textBox(), QStringLiteral("1.2.3e5"));
    EXPECT_EQ(textBox().text(), QStringLiteral("1.2.3e5"));
    dialogs.acceptMessage();
    QTest::keyClick(&textBox(), Qt::Key_Return);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].text, QStringLiteral("参数 比率 的值“1.2.3e5”不是实数") + kRefusalAdvice);
    QTest::keyClick(&textBox(), Qt::Key_Escape);
    EXPECT_FALSE(textBox().isVisible());
    EXPECT_EQ(parameters().textMatrix(2, 4), QString());
    EXPECT_EQ(fileValue(QStringLiteral("req.ini"), 2), QString());

    // A number too large for its type is refused; an emptied value is saved.
    QTest::keyClick(&parameters(), Qt::Key_Return);
    QTest::keyClicks(&textBox(), QStringLiteral("1e999"));
    dialogs.acceptMessage();
    QTest::keyClick(&textBox(), Qt::Key_Return);
    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_EQ(dialogs.shown()[2].text, QStringLiteral("参数 比率 的值“1e999”超出实数的范围") + kRefusalAdvice);
    QTest::keyClick(&textBox(), Qt::Key_Escape);
    openEditor(1);
    QTest::keyClicks(&textBox(), QStringLiteral("2147483648"));
    dialogs.acceptMessage();
    QTest::keyClick(&textBox(), Qt::Key_Return);
    ASSERT_EQ(dialogs.shown().size(), 4u);
    EXPECT_TRUE(dialogs.shown()[3].text.contains(QStringLiteral("超出整数的范围")));
    for (int i = 0; i < 10; ++i) QTest::keyClick(&textBox(), Qt::Key_Backspace);
    ASSERT_EQ(textBox().text(), QString());
    QTest::keyClick(&textBox(), Qt::Key_Return);
    EXPECT_EQ(fileValue(QStringLiteral("req.ini"), 1), QString());
    EXPECT_EQ(parameters().row(), 2);
    EXPECT_EQ(dialogs.shown().size(), 4u);
}

TEST_F(ParameterWindow, TextsThatWouldReadBackDifferentlyAreRefusedAndDatesStayWithinTheirType) {
    openEditor(3);
    QTest::keyClicks(&textBox(), QStringLiteral("http://host"));
    dialogs.acceptMessage();
    QTest::keyClick(&textBox(), Qt::Key_Return);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith(QStringLiteral("参数 备注 的值“http://host”含有“//”")))
        << dialogs.shown()[0].text.toStdString();
    QTest::keyClick(&textBox(), Qt::Key_Escape);
    openEditor(3);
    QTest::keyClicks(&textBox(), QString(256, QLatin1Char('a')));
    dialogs.acceptMessage();
    QTest::keyClick(&textBox(), Qt::Key_Return);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_TRUE(dialogs.shown()[1].text.contains(QStringLiteral("超过 255 个字符")))
        << dialogs.shown()[1].text.toStdString();
    QTest::keyClick(&textBox(), Qt::Key_Backspace);
    QTest::keyClick(&textBox(), Qt::Key_Return);
    EXPECT_EQ(fileValue(QStringLiteral("req.ini"), 3), QString(255, QLatin1Char('a')));

    // smalldatetime holds 1900-01-01 to 2079-06-06, datetime from 1753-01-01.
    clickCell(scripts(), 3, 2);
    openEditor(1);
    ASSERT_TRUE(datePicker().isVisible());
    EXPECT_EQ(datePicker().minimumDate(), QDate(1900, 1, 1));
    EXPECT_EQ(datePicker().maximumDate(), QDate(2079, 6, 6));
    datePicker().setDate(QDate(1800, 5, 5));
    EXPECT_EQ(parameters().textMatrix(1, 4), QStringLiteral("1900/1/1"));
    QTest::keyClick(&datePicker(), Qt::Key_Return);
    EXPECT_EQ(fileValue(QStringLiteral("types.ini"), 1), QStringLiteral("1900/1/1"));
    QTest::keyClick(&parameters(), Qt::Key_Return);
    EXPECT_EQ(datePicker().minimumDate(), QDate(1753, 1, 1));
    EXPECT_EQ(datePicker().maximumDate(), QDate(9999, 12, 31));
    EXPECT_EQ(dialogs.shown().size(), 2u);
}
