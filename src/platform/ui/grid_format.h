#pragma once

#include <QString>
#include <Qt>
#include <vector>

namespace tallomar {

// One column of a grid format string: its header and the alignment of its
// header and cells.
struct GridColumnFormat {
    QString header;
    Qt::Alignment alignment;
};

// Reads a grid format string such as "ID|<操作步骤|^提示信息": columns are
// separated by "|"; a leading "<", "^" or ">" aligns the column left, centred
// or right; without one the column is left-aligned.
std::vector<GridColumnFormat> parseGridFormat(const QString& format);

}  // namespace tallomar
