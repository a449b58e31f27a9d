#pragma once

#include "logic/workbench/result_block.h"

#include <QByteArray>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

namespace tallomar {

// Where the rows of a result set are gathered as they are fetched, in the
// layout of ResultBlock. One chunk is filled, handed on as a block and
// cleared again and again, so its buffers are allocated once.
class ResultChunk {
public:
    explicit ResultChunk(int columnCount = 0);

    int rowCount() const { return rows_; }

    // Appends one row; `cells` holds one value per column, empty optional for NULL.
    void appendRow(const std::vector<std::optional<QStringView>>& cells);
    // Empties the chunk, keeping its room for the next rows.
    void clear();

    // The rows as a block, valid until the chunk changes.
    ResultBlock rows() const;

private:
    struct Column {
        // Room past `textSize` is kept for the next cells.
        QByteArray text;
        std::size_t textSize = 0;
        // Two-byte end offsets until the text passes 64 KiB, then four-byte ones.
        std::vector<std::uint16_t> narrowEnds;
        std::vector<std::uint32_t> wideEnds;
        std::vector<std::uint8_t> nullBits;
        bool anyNull = false;

        void appendText(QStringView value);
        void appendEnd(std::size_t end);
        void appendNull(std::size_t row, bool isNull);
    };

    std::vector<Column> columns_;
    int rows_ = 0;
};

}  // namespace tallomar
