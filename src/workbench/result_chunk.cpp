#include "workbench/result_chunk.h"

#include "platform/error.h"

#include <QStringEncoder>
#include <algorithm>

namespace tallomar {

ResultChunk::ResultChunk(int columnCount) : columns_(static_cast<std::size_t>(columnCount)) {}

void ResultChunk::appendRow(const std::vector<std::optional<QStringView>>& cells) {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        Column& column = columns_[c];
        const std::optional<QStringView> value = c < cells.size() ? cells[c] : std::nullopt;
        if (value) column.appendText(*value);
        if (column.textSize > UINT32_MAX)
            throw Error(QStringLiteral("result column %1 is too large for one block of rows").arg(c));
        column.appendEnd(column.textSize);
        column.nulls.push_back(!value);
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
    thread_local QStringEncoder utf8(QStringEncoder::Utf8);
    const char* end = utf8.appendToBuffer(text.data() + textSize, value);
    textSize = static_cast<std::size_t>(end - text.constData());
}

void ResultChunk::Column::appendEnd(std::size_t end) {
    if (!wide && end > UINT16_MAX) {
        wideEnds.assign(narrowEnds.begin(), narrowEnds.end());
        narrowEnds = {};
        wide = true;
    }
    if (wide) wideEnds.push_back(static_cast<std::uint32_t>(end));
    else narrowEnds.push_back(static_cast<std::uint16_t>(end));
}

ResultChunk ResultChunk::compacted() const {
    ResultChunk copy(columnCount());
    copy.rows_ = rows_;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const Column& from = columns_[c];
        Column& to = copy.columns_[c];
        to.text = QByteArray(from.text.constData(), static_cast<qsizetype>(from.textSize));
        to.textSize = from.textSize;
        to.narrowEnds.assign(from.narrowEnds.begin(), from.narrowEnds.end());
        to.wideEnds.assign(from.wideEnds.begin(), from.wideEnds.end());
        to.nulls.assign(from.nulls.begin(), from.nulls.end());
        to.wide = from.wide;
    }
    return copy;
}

void ResultChunk::clear() {
    for (Column& column : columns_) {
        column.textSize = 0;
        column.narrowEnds.clear();
        column.wideEnds.clear();
        column.nulls.clear();
        column.wide = false;
    }
    rows_ = 0;
}

bool ResultChunk::isNull(int row, int column) const {
    return columns_[static_cast<std::size_t>(column)].nulls[static_cast<std::size_t>(row)];
}

QByteArrayView ResultChunk::cell(int row, int column) const {
    const Column& values = columns_[static_cast<std::size_t>(column)];
    const auto r = static_cast<std::size_t>(row);
    const std::size_t begin = r == 0 ? 0 : values.end(r - 1);
    return QByteArrayView(values.text.constData() + begin, values.end(r) - begin);
}

QString ResultChunk::text(int row, int column) const {
    return QString::fromUtf8(cell(row, column));
}

}  // namespace tallomar
