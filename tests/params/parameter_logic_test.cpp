// The parameter window's behaviour driven without a window.
#include "logic/params/parameter_logic.h"
#include "logic/params/date_text.h"
#include "logic/params/ini_values.h"
#include "package_fixture.h"

#include <gtest/gtest.h>

using namespace tallomar;

namespace {

constexpr char16_t kEnter = 13;

// One script with a required year, a required date, an optional long date
// and an optional empty memo; a second script without parameters.
class ParameterLogicTest : public ::testing::Test {
protected:
    void SetUp() override {
        package.writeFile(QStringLiteral("close.ini"),
                          QStringLiteral("[SQL]\nFunction=年末结转\nVarNum=4\n[Var]\n"
                                         "1.1=year\n1.2=年度\n1.3=int\n1.4=1\n1.5=2026\n"
                                         "2.1=enddate\n2.2=结转日期\n2.3=smalldatetime\n2.4=1\n2.5=2026/12/31\n"
                                         "3.1=stamp\n3.2=时间\n3.3=datetime\n3.4=0\n3.5=\n"
                                         "4.1=memo\n4.2=备注\n4.3=char\n4.4=0\n4.5=\n"));
        package.writeFile(QStringLiteral("none.ini"), QStringLiteral("[SQL]\nFunction=无参数\nVarNum=0\n"));
        package.writeList(QStringLiteral("1.1=close.sql\n1.2=close.ini\n1.3=..\n2.1=none.sql\n2.2=none.ini\n2.3=..\n"),
                          2);
    }

    std::unique_ptr<ParameterLogic> open() const {
        auto logic = std::make_unique<ParameterLogic>(package.list());
        logic->Form_Load();
        return logic;
    }
    QString fileValue(int parameter) const {
        return ReadIniValue(QStringLiteral("Var"), QStringLiteral("%1.5").arg(parameter), QString(),
                            package.path(QStringLiteral("close.ini")));
    }
    static void openEditor(ParameterLogic& logic, int row) {
        logic.screen().parameterRow = row;
        logic.grdTable_KeyPress(kEnter);
    }
    static void pickDate(ParameterLogic& logic, int row, const QDate& date) {
        openEditor(logic, row);
        ASSERT_EQ(logic.screen().editor, ParameterEditor::Date);
        logic.dtpDate_Change(date);
        ASSERT_TRUE(logic.dtpDate_KeyPress(kEnter));
    }

    test::PackageFixture package;
};

}  // namespace

TEST_F(ParameterLogicTest, LoadsTheScriptsAndSelectsTheFirst) {
    const auto logic = open();
    const ParameterScreen& screen = logic->screen();
    ASSERT_EQ(screen.scripts.size(), 2u);
    EXPECT_EQ(screen.script(1).functionText, QStringLiteral("年末结转"));
    EXPECT_EQ(screen.script(1).doneMark, QStringLiteral("√")) << "only optional values are empty";
    EXPECT_EQ(screen.script(2).tableRow, 2);
    EXPECT_EQ(screen.scriptRow, 1);
    ASSERT_EQ(screen.parameters.size(), 4u);
    EXPECT_EQ(screen.parameter(2).typeWord, QStringLiteral("短日期"));
    EXPECT_EQ(screen.parameter(2).allowEmpty, QStringLiteral("否"));
    EXPECT_EQ(screen.parameter(2).value, QStringLiteral("2026/12/31"));
    EXPECT_EQ(screen.editor, ParameterEditor::None);
}

// A date edit leaves the optional empty values as loaded: the mark is the
// one the script shows when the window opens again.
TEST_F(ParameterLogicTest, TheDoneMarkStaysAcrossADateEditAndAReopen) {
    auto logic = open();
    pickDate(*logic, 2, QDate(2027, 1, 31));
    EXPECT_EQ(logic->screen().script(1).doneMark, QStringLiteral("√"));
    EXPECT_EQ(logic->screen().parameterRow, 3) << "Enter moves one row down";
    EXPECT_EQ(fileValue(2), QStringLiteral("2027/1/31"));

    logic->grdSQL_Click(2);
    logic->grdSQL_Click(1);
    EXPECT_EQ(logic->screen().script(1).doneMark, QStringLiteral("√")) << "selected again";
    EXPECT_EQ(logic->screen().parameter(2).value, QStringLiteral("2027/1/31"));
    logic = open();
    EXPECT_EQ(logic->screen().script(1).doneMark, QStringLiteral("√")) << "opened again";
    EXPECT_EQ(logic->screen().parameter(2).value, QStringLiteral("2027/1/31"));
}

TEST_F(ParameterLogicTest, ADateEditThatFillsARequiredDateMarksTheScriptDoneForGood) {
    package.writeFile(QStringLiteral("close.ini"),
                      QStringLiteral("[SQL]\nFunction=f\nVarNum=2\n[Var]\n1.1=d\n1.2=D\n1.3=3\n1.4=1\n"
                                     "2.1=m\n2.2=M\n2.3=char\n2.4=0\n"));
    auto logic = open();
    ASSERT_EQ(logic->screen().script(1).doneMark, QStringLiteral("×"));
    openEditor(*logic, 1);
    EXPECT_EQ(logic->screen().parameter(1).value, dateText(QDate::currentDate()))
        << "an empty date cell receives today as the picker opens";
    logic->dtpDate_LostFocus();
    EXPECT_EQ(logic->screen().script(1).doneMark, QStringLiteral("√"));
    logic = open();
    EXPECT_EQ(logic->screen().script(1).doneMark, QStringLiteral("√"));
    EXPECT_EQ(logic->screen().parameter(1).value, dateText(QDate::currentDate()));
}

TEST_F(ParameterLogicTest, TheDatePickerOpensOnTheCellsDateOrKeepsItsOwn) {
    const auto logic = open();
    openEditor(*logic, 2);
    EXPECT_EQ(logic->screen().editDate, QDate(2026, 12, 31));
    logic->grdTable_Click();
    logic->screen().parameter(3).value = QStringLiteral("no date");
    openEditor(*logic, 3);
    EXPECT_EQ(logic->screen().editDate, QDate(2026, 12, 31)) << "the previous date stays";
    EXPECT_EQ(logic->screen().parameter(3).value, QStringLiteral("2026/12/31")) << "and reaches the cell";
}

TEST_F(ParameterLogicTest, ATextEditFiltersKeysWritesBackAndMarksByTheEditRule) {
    const auto logic = open();
    openEditor(*logic, 1);
    ASSERT_EQ(logic->screen().editor, ParameterEditor::Text);
    EXPECT_EQ(logic->screen().editText, QStringLiteral("2026"));
    EXPECT_FALSE(logic->txtData_KeyPress(u'0', 0, 0)) << "a 0 before the digits is dropped";
    EXPECT_FALSE(logic->txtData_KeyPress(u'x', 0, 4)) << "整数 takes no letters";
    EXPECT_TRUE(logic->txtData_KeyPress(u'7', 0, 4));
    logic->txtData_Change(QStringLiteral("7"));
    EXPECT_EQ(logic->screen().parameter(1).value, QStringLiteral("7")) << "the cell mirrors the text";
    EXPECT_FALSE(logic->txtData_Compose(QStringLiteral("二"), 1, 0));
    EXPECT_FALSE(logic->txtData_KeyPress(kEnter, 1, 0)) << "Enter is no character of the value";
    EXPECT_EQ(logic->screen().editor, ParameterEditor::None);
    EXPECT_EQ(logic->screen().parameterRow, 2);
    EXPECT_EQ(fileValue(1), QStringLiteral("7"));
    // After a text edit every value counts: the optional memo is empty.
    EXPECT_EQ(logic->screen().script(1).doneMark, QStringLiteral("×"));
}

TEST_F(ParameterLogicTest, AScriptWithoutParametersShowsOneRowThatIsNeverWritten) {
    const QByteArray before = package.readBytes(QStringLiteral("none.ini"));
    const auto logic = open();
    logic->grdSQL_Click(2);
    ASSERT_EQ(logic->screen().parameters.size(), 1u);
    openEditor(*logic, 1);
    logic->txtData_Change(QStringLiteral("x"));
    logic->grdTable_Click();
    EXPECT_EQ(package.readBytes(QStringLiteral("none.ini")), before);
    EXPECT_EQ(logic->screen().status, QString());
}
