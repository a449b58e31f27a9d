#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace tallomar {

class ResultArena;

// Consecutive rows of a result, read-only, kept column by column: each
// column's cells are UTF-8 text laid end to end, with one end offset per
// cell and, when the column has NULLs, one bit per cell marking them. A block
// either views a ResultChunk being filled (valid until the chunk changes) or
// holds a share of the arena its rows were copied into.
class ResultBlock {
public:
    ResultBlock() = default;

    int columnCount() const { return static_cast<int>(columns_.size()); }
    int rowCount() const { return rows_; }
    bool isNull(int row, int column) const;
    // The cell's text; NULL reads as empty text.
    QString text(int row, int column) const;
    // The cell's UTF-8 bytes, for copying them on without decoding them.
    QByteArrayView cell(int row, int column) const;

    // The same rows copied into `arena`, to keep after the source is gone.
    ResultBlock copyInto(const std::shared_ptr<ResultArena>& arena) const;

private:
    friend class ResultChunk;

    // End offsets take two bytes per cell while a column's text stays under
    // 64 KiB, as short cells keep it, else four.
    struct Column {
        const char* text = nullptr;
        const std::uint16_t* narrowEnds = nullptr;
        const std::uint32_t* wideEnds = nullptr;
        const std::uint8_t* nullBits = nullptr;  // none when the column has no NULL

        std::size_t end(std::size_t row) const { return wideEnds ? wideEnds[row] : narrowEnds[row]; }
    };

    std::vector<Column> columns_;
    int rows_ = 0;
    std::shared_ptr<const ResultArena> memory_;
};

}  // namespace tallomar
