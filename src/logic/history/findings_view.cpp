#include "logic/history/findings_view.h"

#include "logic/history/findings_diff.h"
#include "logic/history/run_history.h"
#include "logic/workbench/result_arena.h"
#include "logic/workbench/result_chunk.h"
#include "platform/error.h"

#include <algorithm>

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

    std::vector<ResultBlock> blocks() {
        flush();
        return std::move(blocks_);
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

FindingsView oneRun(RunHistory& history, qint64 id) {
    const RunRecord run = history.run(id);
    if (run.facts.kind != RunKind::Check)
        return {QStringLiteral("Run %1 is a %2 run: only checks keep findings.").arg(id).arg(kindName(run.facts.kind)), {}};
    const RecordedFindings findings = history.findings(id);
    BlockBuilder builder(int(findings.columns.size()));
    for (const FindingRow& row : findings.rows) builder.add(row);
    auto model = std::make_unique<ResultModel>(findings.columns);
    model->appendBlocks(builder.blocks());
    QString caption = QStringLiteral("Run %1: %2 finding(s) of %3 on %4")
                          .arg(id)
                          .arg(run.end.findings.value_or(0))
                          .arg(run.facts.tool, run.facts.database);
    if (findings.cut) caption += QStringLiteral(", the first %1 kept").arg(run.findingsKept);
    return {caption, std::move(model)};
}

FindingsView comparison(RunHistory& history, qint64 before, qint64 after) {
    const FindingsDiff diff = diffChecks(history, before, after);
    BlockBuilder builder(int(diff.columns.size()) + 1);
    const QString fixed = QStringLiteral("fixed"), remaining = QStringLiteral("remaining"), added = QStringLiteral("new");
    for (const FindingRow& row : diff.fixed) builder.add(row, &fixed);
    for (const FindingRow& row : diff.remaining) builder.add(row, &remaining);
    for (const FindingRow& row : diff.added) builder.add(row, &added);
    auto model = std::make_unique<ResultModel>(QStringList{QStringLiteral("change")} + diff.columns);
    model->appendBlocks(builder.blocks());
    QString caption = QStringLiteral("Run %1 against run %2: %3 fixed, %4 remaining, %5 new")
                          .arg(after)
                          .arg(before)
                          .arg(diff.fixed.size())
                          .arg(diff.remaining.size())
                          .arg(diff.added.size());
    if (diff.cut) caption += QStringLiteral(" (a run kept only part of its findings)");
    return {caption, std::move(model)};
}

}  // namespace

FindingsView findingsView(RunHistory& history, std::vector<qint64> chosen) {
    std::sort(chosen.begin(), chosen.end());  // ids grow with time: the older run first
    try {
        if (chosen.size() == 1) return oneRun(history, chosen[0]);
        if (chosen.size() == 2) return comparison(history, chosen[0], chosen[1]);
    } catch (const Error& error) {
        return {error.message(), {}};
    }
    return {QStringLiteral("Choose a check to see its findings, or two checks of one tool and database to compare them."),
            {}};
}

}  // namespace tallomar::history
