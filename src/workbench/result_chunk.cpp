#include "workbench/result_chunk.h"

#include "platform/error.h"

#include <QStringEncoder>

namespace tallomar {

ResultChunk::ResultChunk(int columnCount) : columns_(static_cast<std::size_t>(columnCount)) {}

void ResultChunk::appendRow(const std::vector<std::optional<QString>>& cells) {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        Column& column = columns_[c];
        const std::optional<QString>& value = c < cells.size() ? cells[c] : std::nullopt;
        if (value && !value->isEmpty()) {
            // Encode straight into the column's buffer: no text copy per cell.
            const qsizetype used = column.text.size();
            column.text.resize(used + value->size() * 3);
            QStringEncoder utf8(QStringEncoder::Utf8);
            char* end = utf8.appendToBuffer(column.text.data() + used, *value);
            column.text.resize(end - column.text.constData());
        }
        if (static_cast<std::uint64_t>(column.text.size()) >= kNullBit)
            throw Error(QStringLiteral("result column %1 is too large for one block of rows").arg(c));
        const auto end = static_cast<std::uint32_t>(column.text.size());
        column.ends.push_back(value ? end : (end | kNullBit));
    }
    ++rows_;
}

void ResultChunk::squeeze() {
    for (Column& column : columns_) {
        column.text.squeeze();
        column.ends.shrink_to_fit();
    }
}

bool ResultChunk::isNull(int row, int column) const {
    return (columns_[static_cast<std::size_t>(column)].ends[static_cast<std::size_t>(row)] & kNullBit) != 0;
}

QByteArrayView ResultChunk::cell(int row, int column) const {
    const Column& values = columns_[static_cast<std::size_t>(column)];
    const auto r = static_cast<std::size_t>(row);
    const std::uint32_t begin = r == 0 ? 0 : (values.ends[r - 1] & ~kNullBit);
    const std::uint32_t end = values.ends[r] & ~kNullBit;
    return QByteArrayView(values.text.constData() + begin, end - begin);
}

QString ResultChunk::text(int row, int column) const {
    return QString::fromUtf8(cell(row, column));
}

}  // namespace tallomar
