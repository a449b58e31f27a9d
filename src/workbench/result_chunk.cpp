#include "workbench/result_chunk.h"

#include "platform/error.h"

#include <QStringEncoder>

namespace tallomar {

ResultChunk::ResultChunk(int columnCount) : columns_(static_cast<std::size_t>(columnCount)) {}

void ResultChunk::appendRow(const std::vector<std::optional<QString>>& cells) {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        Column& column = columns_[c];
        const QString* value = c < cells.size() && cells[c] ? &*cells[c] : nullptr;
        if (value && !value->isEmpty()) {
            // Encode straight into the column's buffer: no text copy per cell.
            thread_local QStringEncoder utf8(QStringEncoder::Utf8);
            const qsizetype used = column.text.size();
            column.text.resize(used + value->size() * 3);
            char* end = utf8.appendToBuffer(column.text.data() + used, *value);
            column.text.resize(end - column.text.constData());
        }
        if (static_cast<std::uint64_t>(column.text.size()) > UINT32_MAX)
            throw Error(QStringLiteral("result column %1 is too large for one block of rows").arg(c));
        column.appendEnd(static_cast<std::size_t>(column.text.size()));
        column.nulls.push_back(!value);
    }
    ++rows_;
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

void ResultChunk::reserveLike(const ResultChunk& model) {
    for (std::size_t c = 0; c < columns_.size() && c < model.columns_.size(); ++c) {
        const Column& like = model.columns_[c];
        columns_[c].text.reserve(like.text.size() + like.text.size() / 8);
        columns_[c].narrowEnds.reserve(static_cast<std::size_t>(model.rows_));
        columns_[c].nulls.reserve(static_cast<std::size_t>(model.rows_));
    }
}

void ResultChunk::squeeze() {
    for (Column& column : columns_) {
        column.text.squeeze();
        column.narrowEnds.shrink_to_fit();
        column.wideEnds.shrink_to_fit();
        column.nulls.shrink_to_fit();
    }
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
