#include "logic/history/findings_view.h"

#include "logic/history/findings_diff.h"
#include "logic/history/run_history.h"
#include "logic/workbench/result_arena.h"
#include "logic/workbench/result_chunk.h"
#include "platform/error.h"

namespace tallomar::history {

namespace {

constexpr int kRowsPerBlock = 4096;

// Rows into the grid's blocks; `change`, when given, becomes a first column.
class BlockBuilder {
public:
    explicit BlockBuilder(int columnCount) : chunk_(columnCount), cells_(std::size_t(columnCount)) {}

    void add(const FindingRow& row, const QString* change = nullptr) {
        std::size_t at = 0;
        if (change) cells_[at++] = QStringView(*change);
        for (const auto& cell : row) cells_[at++] = cell ? std::optional<QStringView>(*cell) : std::nullopt;
        chunk_.appendRow(cells_);
        if (chunk_.rowCount() == kRowsPerBlock) flush();
    }

    std::unique_ptr<ResultModel> model(const QStringList& columns) {
        flush();
        auto model = std::make_unique<ResultModel>(columns);
        model->appendBlocks(std::move(blocks_));
        return model;
    }

private:
    void flush() {
        if (chunk_.rowCount() == 0) return;
        blocks_.push_back(chunk_.rows().copyInto(arena_));
        chunk_.clear();
    }

    std::shared_ptr<ResultArena> arena_ = std::make_shared<ResultArena>();
    ResultChunk chunk_;
    std::vector<std::optional<QStringView>> cells_;
    std::vector<ResultBlock> blocks_;
};

}  // namespace

FindingsView runFindingsView(RunHistory& history, qint64 id) {
    try {
        const RunRecord run = history.run(id);
        if (run.facts.kind != RunKind::Check) return {run.end.statusText, {}};
        const RecordedFindings findings = history.findings(id);
        BlockBuilder builder(int(findings.columns.size()));
        for (const FindingRow& row : findings.rows) builder.add(row);
        const QString caption =
            findings.cut ? run.end.statusText + QStringLiteral("（历史只保存了前 %1 条）").arg(findings.rows.size())
                         : run.end.statusText;
        return {caption, builder.model(findings.columns)};
    } catch (const Error& error) {
        return {error.message(), {}};
    }
}

FindingsView comparisonView(RunHistory& history, qint64 before, qint64 after) {
    try {
        const FindingsDiff diff = diffChecks(history, before, after);
        BlockBuilder builder(int(diff.columns.size()) + 1);
        for (const FindingRow& row : diff.fixed) builder.add(row, &kFixedLabel);
        for (const FindingRow& row : diff.remaining) builder.add(row, &kRemainingLabel);
        for (const FindingRow& row : diff.added) builder.add(row, &kAddedLabel);
        const QString caption = QStringLiteral("%1 %2，%3 %4，%5 %6")
                                    .arg(kFixedLabel)
                                    .arg(diff.fixed.size())
                                    .arg(kRemainingLabel)
                                    .arg(diff.remaining.size())
                                    .arg(kAddedLabel)
                                    .arg(diff.added.size());
        return {caption, builder.model(QStringList{kChangeHeading} + diff.columns)};
    } catch (const Error& error) {
        return {error.message(), {}};
    }
}

}  // namespace tallomar::history
