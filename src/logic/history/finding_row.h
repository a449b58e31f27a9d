#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace tallomar {
class ResultBlock;
}

namespace tallomar::history {

// One recorded finding as the grid got it: one value per column, an empty
// optional for NULL (kept apart from empty text).
using FindingRow = std::vector<std::optional<QString>>;

// Findings are stored a block at a time, the rows one after another in one
// blob, so that recording a block is one insert. Each cell is a length byte
// and that many bytes of UTF-8; the byte 0xFE says a 4-byte little-endian
// length follows instead, 0xFF says NULL. Appends row `row` of `block`.
void appendFindingRow(const ResultBlock& block, int row, QByteArray& blob);
// The rows of `columnCount` cells each stored in `blob`; throws Error when
// the blob is not such rows.
std::vector<FindingRow> decodeFindingRows(QByteArrayView blob, int columnCount);

}  // namespace tallomar::history
