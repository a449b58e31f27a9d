#pragma once

#include <QString>
#include <QStringList>

namespace tallomar {

// The rules of the parameter window that need no window: what a script's
// parameter rows say, which keys a value may take, and when a script counts
// as filled in.
namespace parameter_sheet {

// The parameter grid's value column, the one that can hold the current cell.
inline constexpr int kValueColumn = 4;
inline const QString kRequired = QStringLiteral("否");
inline const QString kOptional = QStringLiteral("是");
inline const QString kDone = QStringLiteral("√");
inline const QString kNotDone = QStringLiteral("×");

// The number a parameter count text begins with (leading blanks skipped; 0
// when it begins with no number), rounded to the nearest whole number, halves
// to the even neighbour: "2.5" gives 2, "3.5" gives 4. Counts are kept within
// 0 to 32767.
int parameterCount(const QString& text);

// The key of a parameter item in section "Var": "<parameter>.<item>".
QString parameterKey(int parameter, int item);

// The rows of the parameter grid for the parameters 1 to `count` of the
// configuration file, each one tab-separated text: name in the script,
// display name, type word, 否/是, value.
QStringList parameterRows(const QString& configPath, int count);

// Whether a key typed into the value editor is taken. `code` is the typed
// character (13 Enter, 8 Backspace); `text`, `selectionStart` and
// `selectionLength` describe the editor before the key. 整数 and 实数 values
// take the characters numbers are written with (digits, "+", "-", ".", "e",
// "E", ","), wherever they stand: whether the text is a number is judged when
// the cell is left (valueFault), so that no dropped key turns a mistyped
// number into another one. A "0" typed at the start of an 整数 value, before
// its digits, is dropped. Other types take every key.
bool keyAccepted(char16_t code, const QString& typeWord, const QString& text, int selectionStart, int selectionLength);

// The done mark when the window loads: complete unless a required parameter
// has an empty value (a value of blanks counts as given).
struct LoadedRow {
    QString allowEmpty;
    QString value;
};
bool completeAtLoad(const std::vector<LoadedRow>& rows);

// The done mark after an edit: complete when no value is empty after its
// blanks are trimmed, whether the parameter is required or not.
bool completeAfterEdit(const QStringList& values);

}  // namespace parameter_sheet

}  // namespace tallomar
