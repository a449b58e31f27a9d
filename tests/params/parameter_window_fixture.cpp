#include "parameter_window_fixture.h"

#include "logic/params/ini_values.h"

#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace tallomar::test {

void ParameterWindow::SetUp() {
    package.writeFile(QStringLiteral("req.ini"), QStringLiteral("[SQL]\nName=必填\nFunction=必填检查\nVarNum=3\n[Var]\n"
                                                                "1.1=year\n1.2=年度\n1.3=INT\n1.4=1\n1.5=\n"
                                                                "2.1=rate\n2.2=比率\n2.3=Float\n2.4=0\n"
                                                                "3.1=memo\n3.2=备注\n3.3=char\n3.4=0\n3.5=abc\n"));
    package.writeFile(QStringLiteral("opt.ini"), QStringLiteral("[SQL]\nFunction=可选检查\nVarNum=2\n[Var]\n"
                                                                "1.1=year\n1.2=年度\n1.3=int\n1.4=1\n1.5=2026\n"
                                                                "2.1=note\n2.2=备注\n2.3=char\n2.4=0\n"));
    package.writeFile(QStringLiteral("types.ini"), QStringLiteral("[SQL]\nFunction=类型检查\nVarNum=4\n[Var]\n"
                                                                  "1.1=d\n1.2=日期\n1.3=smalldatetime\n"
                                                                  "2.1=dt\n2.2=时间\n2.3=DateTime\n2.5=2026/1/5\n"
                                                                  "3.1=x\n3.2=未知\n3.3=number\n"
                                                                  "4.1=t\n4.2=名称\t溢出\n4.3=char\n4.5=v\n"));
    const QString threeOptional =
        QStringLiteral("[Var]\n1.1=a\n1.2=A\n1.3=2\n2.1=b\n2.2=B\n2.3=2\n3.1=c\n3.2=C\n3.3=2\n");
    package.writeFile(QStringLiteral("half.ini"),
                      QStringLiteral("[SQL]\nFunction=二点五\nVarNum=2.5\n") + threeOptional);
    package.writeFile(QStringLiteral("half2.ini"),
                      QStringLiteral("[SQL]\nFunction=三点五\nVarNum=3.5\n") + threeOptional);
    package.writeFile(QStringLiteral("none.ini"), QStringLiteral("[SQL]\nFunction=无参数\nVarNum=0\n"));
    package.writeList(QStringLiteral("1.1=req.sql\n1.2=req.ini\n1.3=..\n2.1=opt.sql\n2.2=opt.ini\n2.3=..\n"
                                     "3.1=notes.txt\n3.2=req.ini\n3.3=..\n4.1=types.sql\n4.2=types.ini\n4.3=..\n"
                                     "5.1=h.sql\n5.2=half.ini\n5.3=..\n6.1=h2.sql\n6.2=half2.ini\n6.3=..\n"
                                     "7.1=none.sql\n7.2=none.ini\n7.3=..\n"),
                      7);
    openWindow();
}

void ParameterWindow::openWindow() {
    window = std::make_unique<FrmSQLValue>(package.list());
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

FlexGrid& ParameterWindow::scripts() const {
    return *window->findChild<FlexGrid*>(QStringLiteral("grdSQL"));
}

FlexGrid& ParameterWindow::parameters() const {
    return *window->findChild<FlexGrid*>(QStringLiteral("grdTable"));
}

QLineEdit& ParameterWindow::textBox() const {
    return *window->findChild<QLineEdit*>(QStringLiteral("txtData"));
}

QDateEdit& ParameterWindow::datePicker() const {
    return *window->findChild<QDateEdit*>(QStringLiteral("dtpDate"));
}

QString ParameterWindow::status() const {
    return window->findChild<QLabel*>(QStringLiteral("labStatus"))->text();
}

QString ParameterWindow::wholeStatus() const {
    return window->findChild<QLabel*>(QStringLiteral("labStatus"))->toolTip();
}

void ParameterWindow::clickCell(FlexGrid& grid, int row, int col) {
    grid.scrollTo(grid.model()->index(row, col));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(row, col)).center());
}

void ParameterWindow::doubleClickCell(FlexGrid& grid, int row, int col) {
    grid.scrollTo(grid.model()->index(row, col));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(row, col)).center());
}

void ParameterWindow::openEditor(int row) {
    parameters().setCurrentCell(row, 4);
    QTest::keyClick(&parameters(), Qt::Key_Return);
}

QString ParameterWindow::fileValue(const QString& file, int parameter) const {
    return ReadIniValue(QStringLiteral("Var"), QStringLiteral("%1.5").arg(parameter), QString(), package.path(file));
}

QStringList ParameterWindow::column(const FlexGrid& grid, int col) const {
    QStringList cells;
    for (int row = 1; row < grid.rows(); ++row) cells << grid.textMatrix(row, col);
    return cells;
}

bool ParameterWindow::writable(const QString& file) const {
    return QFile::permissions(package.path(file)).testFlag(QFileDevice::WriteOwner);
}

}  // namespace tallomar::test
