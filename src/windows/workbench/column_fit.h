#pragma once

#include <QString>

class QTableView;

namespace tallomar {

// The width of `text` in bytes of code page 936: 2 for each double-byte
// character, 1 for any other (also for one the code page cannot represent).
int AnsiWidth(const QString& text);

// The width in twips a header text asks for: 100 per byte plus 200; 0 for an
// empty header (the column keeps its width).
int headerWidthTwips(const QString& header);

// Sets every visible column of the grid to the width its header text asks
// for (twips / 15 pixels); data rows never widen a column, a column with an
// empty header keeps its width and a hidden column stays hidden.
void FitColumnsToHeader(QTableView& grid);

}  // namespace tallomar
