#include "recorded_runs.h"

#include "logic/workbench/result_chunk.h"

namespace tallomar::test {

void deliverFindings(const ResultReceiver& receiver, const QStringList& columns,
                     const std::vector<history::FindingRow>& rows, int blockRows) {
    receiver.columns(columns);
    ResultChunk chunk(static_cast<int>(columns.size()));
    std::vector<std::optional<QStringView>> cells(static_cast<std::size_t>(columns.size()));
    for (const history::FindingRow& row : rows) {
        for (std::size_t c = 0; c < cells.size(); ++c)
            cells[c] = row[c] ? std::optional<QStringView>(*row[c]) : std::nullopt;
        chunk.appendRow(cells);
        if (chunk.rowCount() == blockRows) {
            receiver.rows(chunk.rows());
            chunk.clear();
        }
    }
    receiver.rows(chunk.rows());
}

history::RunFacts demoFacts(history::RunKind kind) {
    return {kind,
            QStringLiteral("127.0.0.1,14330"),
            QStringLiteral("sa"),
            QStringLiteral("演示版"),
            QStringLiteral("001"),
            QStringLiteral("2024"),
            QStringLiteral("qvdata_001_2024"),
            QStringLiteral("科目检查"),
            QStringLiteral("file/科目检查")};
}

}  // namespace tallomar::test
