#pragma once

#include "package_fixture.h"
#include "support/scripted_dialogs.h"
#include "windows/params/flex_grid.h"
#include "windows/params/frm_sql_value.h"

#include <gtest/gtest.h>
#include <QColor>
#include <QStringList>
#include <memory>

class QDateEdit;
class QLineEdit;

namespace tallomar::test {

inline const QColor kPaleCyan(192, 255, 255);

// The parameter window on six configured scripts (entry 3 of the list is no
// script): required and optional values, every type, counts 2.5, 3.5 and 0.
// Every message box goes to `dialogs`.
class ParameterWindow : public ::testing::Test {
protected:
    void SetUp() override;
    void openWindow();

    FlexGrid& scripts() const;
    FlexGrid& parameters() const;
    QLineEdit& textBox() const;
    QDateEdit& datePicker() const;
    // The status line as the operator sees it, and whole (its tool tip).
    QString status() const;
    QString wholeStatus() const;

    void clickCell(FlexGrid& grid, int row, int col);
    void doubleClickCell(FlexGrid& grid, int row, int col);
    // Opens the editor of parameter row `row` the keyboard's way.
    void openEditor(int row);
    QString fileValue(const QString& file, int parameter) const;
    QStringList column(const FlexGrid& grid, int col) const;
    bool writable(const QString& file) const;

    ScriptedDialogs dialogs;
    PackageFixture package;
    std::unique_ptr<FrmSQLValue> window;
};

}  // namespace tallomar::test
