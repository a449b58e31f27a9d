#pragma once

#include "logic/workbench/result_block.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace tallomar {

// The result grid's rows: the column names of a result set and its rows,
// added block by block while they arrive, so the view repaints as the grid
// fills. Only the cells on screen are ever turned into text. A NULL value is
// shown as an empty cell. A cell's tooltip shows its whole value with the
// blanks at its start and end marked (see cell_tooltip.h).
class ResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultModel(QStringList columns, QObject* parent = nullptr);

    // Adds the rows of the blocks in one insertion, so that the view lays
    // itself out and repaints once for all of them.
    void appendBlocks(std::vector<ResultBlock> blocks);

    const QStringList& columns() const { return columns_; }
    bool isNull(int row, int column) const;
    QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // The block holding `row` and the row's place in it.
    std::pair<const ResultBlock*, int> locate(int row) const;

    QStringList columns_;
    std::vector<ResultBlock> blocks_;
    std::vector<int> blockStarts_;
    int rows_ = 0;
};

}  // namespace tallomar
