#pragma once

#include "tooldb/tool_database.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace tallomar::test {

// Table Bewrite as the viewer's two statements see it, answered from memory;
// every statement sent is kept. A statement the viewer has no business
// sending fails the test.
class BewriteTable {
public:
    struct Row {
        QVariant id;
        QVariant operate;  // cOperate; a null QVariant is NULL
        QVariant result;   // cResult
        QVariant path;     // cPath
    };

    void add(Row row) { rows_.push_back(std::move(row)); }
    // From now on every statement fails as a broken file would.
    void breakDown() { broken_ = true; }

    tooldb::Recordset query(const QString& sql);
    const QStringList& sent() const { return sent_; }

private:
    std::vector<Row> rows_;
    QStringList sent_;
    bool broken_ = false;
};

}  // namespace tallomar::test
