#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace tallomar {

// A run of consecutive result rows kept column by column: each column's cells
// are UTF-8 text laid end to end in one buffer, with one end offset per cell,
// so a million-row result costs little more than its text.
class ResultChunk {
public:
    explicit ResultChunk(int columnCount = 0);

    int columnCount() const { return static_cast<int>(columns_.size()); }
    int rowCount() const { return rows_; }

    // Appends one row; `cells` holds one value per column, empty optional for NULL.
    void appendRow(const std::vector<std::optional<QStringView>>& cells);

    // A copy holding exactly these rows, without the room kept for more.
    // Filling one chunk again and again and keeping compact copies allocates
    // each block of rows once, at its final size, so the heap does not
    // fragment as a result of a million rows grows.
    ResultChunk compacted() const;
    // Empties the chunk, keeping its room for the next rows.
    void clear();

    bool isNull(int row, int column) const;
    // The cell's text; NULL reads as empty text.
    QString text(int row, int column) const;

private:
    // End offsets take two bytes per cell while a column's text stays under
    // 64 KiB, as short cells keep it; a column with longer text switches to
    // four-byte offsets.
    struct Column {
        // Room past `textSize` is kept for the next cells.
        QByteArray text;
        std::size_t textSize = 0;
        std::vector<std::uint16_t> narrowEnds;
        std::vector<std::uint32_t> wideEnds;
        std::vector<bool> nulls;
        bool wide = false;

        std::size_t end(std::size_t row) const { return wide ? wideEnds[row] : narrowEnds[row]; }
        void appendText(QStringView value);
        void appendEnd(std::size_t end);
    };

    QByteArrayView cell(int row, int column) const;

    std::vector<Column> columns_;
    int rows_ = 0;
};

}  // namespace tallomar
