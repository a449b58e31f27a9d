#include "workbench/result_model.h"

#include <algorithm>

namespace tallomar {

ResultModel::ResultModel(QStringList columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void ResultModel::appendChunks(std::vector<ResultChunk> chunks) {
    int added = 0;
    for (const ResultChunk& chunk : chunks) added += chunk.rowCount();
    if (added == 0) return;
    beginInsertRows(QModelIndex(), rows_, rows_ + added - 1);
    for (ResultChunk& chunk : chunks) {
        if (chunk.rowCount() == 0) continue;
        chunkStarts_.push_back(rows_);
        rows_ += chunk.rowCount();
        chunks_.push_back(std::move(chunk));
    }
    endInsertRows();
}

std::pair<const ResultChunk*, int> ResultModel::locate(int row) const {
    const auto next = std::upper_bound(chunkStarts_.begin(), chunkStarts_.end(), row);
    const auto index = static_cast<std::size_t>(next - chunkStarts_.begin() - 1);
    return {&chunks_[index], row - chunkStarts_[index]};
}

bool ResultModel::isNull(int row, int column) const {
    const auto [chunk, inChunk] = locate(row);
    return chunk->isNull(inChunk, column);
}

QString ResultModel::text(int row, int column) const {
    const auto [chunk, inChunk] = locate(row);
    return chunk->text(inChunk, column);
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return text(index.row(), index.column());
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return columns_.value(section);
    return section + 1;
}

}  // namespace tallomar
