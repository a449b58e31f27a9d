#pragma once

#include "windows/params/frm_sql_value.h"

#include <QString>
#include <memory>
#include <variant>

namespace tallomar {

// The exit status of tallomar-params when no parameter window opens.
inline constexpr int kExitNoWindow = 1;

// What tallomar-params opens once its command line is read: the parameter
// window on the package list named there, or, when none is named (as its
// menu entry starts it), on the one the operator picks in a file chooser.
// When no window opens (the chooser is cancelled, the list cannot be read)
// the result is kExitNoWindow and the reason has been said on stderr, and,
// for a list that cannot be read, in a message box.
std::variant<std::unique_ptr<FrmSQLValue>, int> OpenParameterWindow(const QString& namedList);

}  // namespace tallomar
