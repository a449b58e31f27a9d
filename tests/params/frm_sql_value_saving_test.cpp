// The parameter window tells what it saved.
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

    // The status names the parameter written, not the one the editor moved
    // on to.
    QTest::keyClick(&parameters(), Qt::Key_Return);
    QTest::keyClicks(&textBox(), QStringLiteral("0.25"));
    clickCell(parameters(), 3, 4);
    EXPECT_EQ(fileValue(QStringLiteral("req.ini"), 2), QStringLiteral("0.25"));
    EXPECT_EQ(wholeStatus(), QStringLiteral("已保存 比率 = “0.25” 到 ") + reqFile);

    // An unchanged value writes nothing, so the status still tells the last write.
    openEditor(3);
    QTest::keyClick(&textBox(), Qt::Key_Return);
    EXPECT_EQ(wholeStatus(), QStringLiteral("已保存 比率 = “0.25” 到 ") + reqFile);

    // A date is confirmed the same way.
    clickCell(scripts(), 3, 2);
    openEditor(1);
    QTest::keyClick(&datePicker(), Qt::Key_Return);
    const QString today = dateText(QDate::currentDate());
    EXPECT_EQ(fileValue(QStringLiteral("types.ini"), 1), today);
    EXPECT_EQ(wholeStatus(), QStringLiteral("已保存 日期 = “%1” 到 %2")
                                 .arg(today, QDir::toNativeSeparators(package.path(QStringLiteral("types.ini")))));
}
