#pragma once

#include "logic/workbench/workbench.h"

#include <QIODevice>
#include <QStringList>

namespace tallomar::cli {

// The findings of a check as the command writes them, streamed as they are
// read, so that a million rows never sit in memory at once:
//   csv   the header and one record per finding, CR LF line ends, NULL empty;
//   json  one object {"columns": [...], "rows": [[...], ...], "status": "...",
//         "count": N}, NULL as null. Status and count come last because
//         they are known only when the rows are through.
class FindingsOutput {
public:
    enum class Format { Csv, Json };

    FindingsOutput(QIODevice& out, Format format) : out_(out), format_(format) {}

    // Where the check run delivers its result.
    ResultReceiver receiver();
    // Ends the output once every row is written.
    void finish(const QString& status, qint64 count);

private:
    void columns(const QStringList& names);
    void rows(const ResultBlock& block);

    QIODevice& out_;
    Format format_;
    bool firstRow_ = true;
    QByteArray line_;
};

}  // namespace tallomar::cli
