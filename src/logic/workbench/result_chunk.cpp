#include "logic/workbench/result_chunk.h"

#include "platform/error.h"

#include <QStringEncoder>
#include <algorithm>

namespace tallomar {

ResultChunk::ResultChunk(int columnCount) : columns_(static_cast<std::size_t>(columnCount)) {}

void ResultChunk::appendRow(const std::vector<std::optional<QStringView>>& cells) {
    const auto row = static_cast<std::size_t>(rows_);
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        Column& column = columns_[c];
        const std::optional<QStringView> value = c < cells.size() ? cells[c] : std::nullopt;
        if (value) column.appendText(*value);
        if (column.textSize > UINT32_MAX)
            throw Error(QStringLiteral("result column %1 is too large for one block of rows").arg(c));
        column.appendEnd(column.textSize);
        column.appendNull(row, !value);
    }
    ++rows_;
}

void ResultChunk::Column::appendText(QStringView value) {
    if (value.isEmpty()) return;
    // Encode straight into the column's buffer, growing it only when the
    // worst case (three bytes per UTF-16 unit) might not fit.
    const auto worst = static_cast<std::size_t>(value.size()) * 3;
    const auto room = static_cast<std::size_t>(text.size());
    if (room - textSize < worst) text.resize(static_cast<qsizetype>(std::max(textSize + worst, room * 2)));
    // An ASCII run is its own UTF-8: copying it byte for byte costs less
    // than a call into the encoder, for the short cells results are made of.
    char* out = text.data() + textSize;
    const char16_t* in = value.utf16();
    qsizetype ascii = 0;
    for (; ascii < value.size() && in[ascii] < 0x80; ++ascii) out[ascii] = static_cast<char>(in[ascii]);
    if (ascii == value.size()) {
        textSize += static_cast<std::size_t>(ascii);
        return;
    }
    thread_local QStringEncoder utf8(QStringEncoder::Utf8);
    const char* end = utf8.appendToBuffer(out + ascii, value.sliced(ascii));
    textSize = static_cast<std::size_t>(end - text.constData());
}

void ResultChunk::Column::appendEnd(std::size_t end) {
    if (wideEnds.empty() && end <= UINT16_MAX) {
        narrowEnds.push_back(static_cast<std::uint16_t>(end));
        return;
    }
    if (wideEnds.empty()) {
        wideEnds.assign(narrowEnds.begin(), narrowEnds.end());
        narrowEnds.clear();
    }
    wideEnds.push_back(static_cast<std::uint32_t>(end));
}

void ResultChunk::Column::appendNull(std::size_t row, bool isNull) {
    if (row % 8 == 0) nullBits.push_back(0);
    if (!isNull) return;
    nullBits.back() |= static_cast<std::uint8_t>(1u << (row % 8));
    anyNull = true;
}

void ResultChunk::clear() {
    for (Column& column : columns_) {
        column.textSize = 0;
        column.narrowEnds.clear();
        column.wideEnds.clear();
        column.nullBits.clear();
        column.anyNull = false;
    }
    rows_ = 0;
}

ResultBlock ResultChunk::rows() const {
    ResultBlock block;
    block.rows_ = rows_;
    block.columns_.reserve(columns_.size());
    for (const Column& column : columns_) {
        ResultBlock::Column view;
        view.text = column.text.constData();
        if (!column.wideEnds.empty())
            view.wideEnds = column.wideEnds.data();
        else
            view.narrowEnds = column.narrowEnds.data();
        if (column.anyNull) view.nullBits = column.nullBits.data();
        block.columns_.push_back(view);
    }
    return block;
}

}  // namespace tallomar
