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

// A finding is stored as one blob: per cell a 4-byte little-endian length
// (0xFFFFFFFF for NULL) and that many bytes of UTF-8. Writes row `row` of
// `block` into `blob`, replacing what it held, so one buffer serves all rows.
void encodeFindingRow(const ResultBlock& block, int row, QByteArray& blob);
// The row stored in `blob`; throws Error when the blob is not one.
FindingRow decodeFindingRow(QByteArrayView blob);

}  // namespace tallomar::history
