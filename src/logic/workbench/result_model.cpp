#include "logic/workbench/result_model.h"

#include "logic/workbench/cell_tooltip.h"

#include <algorithm>

namespace tallomar {

ResultModel::ResultModel(QStringList columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void ResultModel::appendBlocks(std::vector<ResultBlock> blocks) {
    int added = 0;
    for (const ResultBlock& block : blocks) added += block.rowCount();
    if (added == 0) return;
    beginInsertRows(QModelIndex(), rows_, rows_ + added - 1);
    for (ResultBlock& block : blocks) {
        if (block.rowCount() == 0) continue;
        blockStarts_.push_back(rows_);
        rows_ += block.rowCount();
        blocks_.push_back(std::move(block));
    }
    endInsertRows();
}

std::pair<const ResultBlock*, int> ResultModel::locate(int row) const {
    const auto next = std::upper_bound(blockStarts_.begin(), blockStarts_.end(), row);
    const auto index = static_cast<std::size_t>(next - blockStarts_.begin() - 1);
    return {&blocks_[index], row - blockStarts_[index]};
}

bool ResultModel::isNull(int row, int column) const {
    const auto [block, inChunk] = locate(row);
    return block->isNull(inChunk, column);
}

QString ResultModel::text(int row, int column) const {
    const auto [block, inChunk] = locate(row);
    return block->text(inChunk, column);
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return text(index.row(), index.column());
    if (role == Qt::ToolTipRole) {
        const QString tip = cellToolTip(text(index.row(), index.column()));
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return columns_.value(section);
    return section + 1;
}

}  // namespace tallomar
