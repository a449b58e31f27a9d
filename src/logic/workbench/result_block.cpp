#include "logic/workbench/result_block.h"

#include "logic/workbench/result_arena.h"

#include <cstring>

namespace tallomar {

namespace {

// Copies `count` values into the arena; the copy of nothing is null.
template <typename T>
const T* copied(ResultArena& arena, const T* from, std::size_t count) {
    if (!from || count == 0) return nullptr;
    void* to = arena.allocate(count * sizeof(T), alignof(T));
    std::memcpy(to, from, count * sizeof(T));
    return static_cast<const T*>(to);
}

}  // namespace

bool ResultBlock::isNull(int row, int column) const {
    const std::uint8_t* bits = columns_[static_cast<std::size_t>(column)].nullBits;
    return bits && (bits[row / 8] >> (row % 8) & 1);
}

QByteArrayView ResultBlock::cell(int row, int column) const {
    const Column& values = columns_[static_cast<std::size_t>(column)];
    const auto r = static_cast<std::size_t>(row);
    const std::size_t begin = r == 0 ? 0 : values.end(r - 1);
    return QByteArrayView(values.text + begin, static_cast<qsizetype>(values.end(r) - begin));
}

QString ResultBlock::text(int row, int column) const {
    return QString::fromUtf8(cell(row, column));
}

ResultBlock ResultBlock::copyInto(const std::shared_ptr<ResultArena>& arena) const {
    ResultBlock copy;
    copy.rows_ = rows_;
    copy.memory_ = arena;
    copy.columns_.reserve(columns_.size());
    const auto rows = static_cast<std::size_t>(rows_);
    for (const Column& from : columns_) {
        Column to;
        const std::size_t textSize = rows == 0 ? 0 : from.end(rows - 1);
        // A column of empty cells has no text to copy, yet reads it.
        to.text = textSize ? copied(*arena, from.text, textSize) : "";
        to.narrowEnds = copied(*arena, from.narrowEnds, rows);
        to.wideEnds = copied(*arena, from.wideEnds, rows);
        to.nullBits = copied(*arena, from.nullBits, (rows + 7) / 8);
        copy.columns_.push_back(to);
    }
    return copy;
}

}  // namespace tallomar
