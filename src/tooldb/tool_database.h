#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace tallomar::tooldb {

// Rows read from the tool database. A value is a null QVariant for NULL
// (distinct from empty text), qint64 for whole numbers, double for other
// numbers, -1/0 (qint64) for booleans, QString for text and memo, QByteArray
// for OLE data.
struct Recordset {
    QStringList columns;  // names as the statement gives them (aliases included)
    std::vector<std::vector<QVariant>> rows;

    // Index of the column named `name` without regard to case; -1 when absent.
    int columnIndex(const QString& name) const;
    // The value of `column` in `row`; a null QVariant when the column is absent.
    QVariant value(std::size_t row, const QString& column) const;
};

// The tool database ZOL.mdb: the file's tables are mirrored in memory at open
// and the fixed statements of the program run on the mirror with Access
// semantics (text compares without regard to case). Updates are written back
// into the file in place, through a copy that replaces the file only when it
// reads back correctly.
class ToolDatabase {
public:
    // Opens and mirrors the file; throws ToolDatabaseError (Unreadable)
    // naming the file and the reason when it cannot be read. Every failure
    // of query() and execute() is a ToolDatabaseError too, of its kind.
    static std::unique_ptr<ToolDatabase> open(const QString& path);
    ~ToolDatabase();

    QString path() const;

    // Runs a SELECT; throws Error on any failure (syntax, missing table or column).
    Recordset query(const QString& sql) const;

    // Runs an UPDATE and saves the changed cells into the file; returns the
    // number of rows changed. Throws Error when the statement fails or the
    // file cannot be saved; the file then stays as it was, and so does the mirror.
    int execute(const QString& sql);

private:
    class Impl;
    explicit ToolDatabase(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace tallomar::tooldb
