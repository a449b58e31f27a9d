#pragma once

#include <QString>

namespace tallomar {

// The mark that stands for each blank (a space or the full-width blank
// U+3000) at the start or the end of a value: such blanks are often the very
// fault a check finds, and a grid cell does not show them.
inline constexpr char16_t kBlankMark = u'\u2423';  // ␣

// The value with each leading and trailing blank replaced by kBlankMark;
// blanks between words stay as they are.
QString markOuterBlanks(const QString& value);

// The tooltip of a result cell (rich text, the value escaped): the whole
// value with its outer blanks marked, and a line saying what the mark means
// when there are any. Empty for an empty value.
QString cellToolTip(const QString& value);

}  // namespace tallomar
