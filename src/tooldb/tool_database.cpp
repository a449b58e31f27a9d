#include "tooldb/tool_database.h"

#include "platform/access/mdb_cell_updater.h"
#include "platform/error.h"
#include "tooldb/sqlite_mirror.h"
#include "tooldb/tool_database_error.h"
#include "tooldb/tool_tables.h"
#include "tooldb/update_statement.h"

#include <QFileInfo>
#include <algorithm>
#include <set>
#include <utility>

namespace tallomar::tooldb {

namespace {

bool sameValue(const QVariant& stored, const QVariant& current) {
    if (!stored.isValid() || !current.isValid()) return stored.isValid() == current.isValid();
    return stored == current;
}

bool isTextKind(mdb::ColumnKind kind) {
    return kind == mdb::ColumnKind::Text || kind == mdb::ColumnKind::Memo;
}

}  // namespace

class ToolDatabase::Impl {
public:
    Impl(QString path, std::vector<mdb::Table> tables)
        : path_(std::move(path)), tables_(std::move(tables)), mirror_(tables_) {}

    QString path_;
    std::vector<mdb::Table> tables_;  // the file's contents, as saved
    SqliteMirror mirror_;
    std::set<std::pair<QString, sqlite3_int64>> touched_;

    Recordset query(const QString& sql) const {
        sqlite3_stmt* statement = mirror_.prepared(sql);
        if (!sqlite3_stmt_readonly(statement))
            throw Error(QStringLiteral("%1: only SELECT statements return rows").arg(sql));
        Recordset result;
        const int count = sqlite3_column_count(statement);
        for (int i = 0; i < count; ++i) result.columns << QString::fromUtf8(sqlite3_column_name(statement, i));
        int step;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            std::vector<QVariant> row;
            row.reserve(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i) row.push_back(columnValue(statement, i));
            result.rows.push_back(std::move(row));
        }
        const QString reason = sqliteMessage(mirror_.handle());
        sqlite3_reset(statement);
        if (step != SQLITE_DONE) throw Error(QStringLiteral("%1: %2").arg(sql, reason));
        return result;
    }

    int execute(const QString& sql) {
        const PreparedUpdate update = prepareUpdate(mirror_.handle(), sql, tables_);
        sqlite3_stmt* statement = update.get();
        touched_.clear();
        sqlite3_update_hook(mirror_.handle(), &Impl::recordUpdate, this);
        mirror_.run("BEGIN");
        try {
            const int step = sqlite3_step(statement);
            const QString reason = sqliteMessage(mirror_.handle());
            sqlite3_reset(statement);
            sqlite3_update_hook(mirror_.handle(), nullptr, nullptr);
            if (step != SQLITE_DONE) throw Error(QStringLiteral("%1: %2").arg(sql, reason));
            const int changed = sqlite3_changes(mirror_.handle());
            const std::vector<mdb::CellChange> changes = collectChanges(sql);
            const std::vector<mdb::RowMove> moves = save(changes);
            mirror_.run("COMMIT");
            applyToSaved(changes, moves);
            return changed;
        } catch (...) {
            sqlite3_update_hook(mirror_.handle(), nullptr, nullptr);
            sqlite3_exec(mirror_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }

private:
    std::vector<mdb::RowMove> save(const std::vector<mdb::CellChange>& changes) const {
        if (changes.empty()) return {};
        try {
            return mdb::saveCellChanges(path_, changes);
        } catch (const mdb::FileBusy& busy) {
            throw ToolDatabaseError(ToolDatabaseError::Kind::Busy, busy.message());
        } catch (const mdb::ProgramIncomplete&) {
            throw;
        } catch (const Error& error) {
            throw ToolDatabaseError(ToolDatabaseError::Kind::NotSaved, error.message());
        }
    }

    static void recordUpdate(void* self, int operation, const char*, const char* table, sqlite3_int64 rowid) {
        auto* impl = static_cast<Impl*>(self);
        // Inserts and deletes are refused when the changes are collected.
        impl->touched_.emplace(operation == SQLITE_UPDATE ? QString::fromUtf8(table) : QString(),
                               operation == SQLITE_UPDATE ? rowid : -1);
    }

    const mdb::Table& tableNamed(const QString& name) const {
        for (const mdb::Table& table : tables_)
            if (table.name.compare(name, Qt::CaseInsensitive) == 0) return table;
        throw Error(QStringLiteral("no table %1").arg(name));
    }

    // The cells whose mirror value now differs from the file's value.
    std::vector<mdb::CellChange> collectChanges(const QString& sql) const {
        std::vector<mdb::CellChange> changes;
        for (const auto& [tableName, rowid] : touched_) {
            if (rowid < 1)
                throw ToolDatabaseError(ToolDatabaseError::Kind::Refused,
                                        QStringLiteral("%1: rows cannot be added or removed").arg(sql));
            const mdb::Table& table = tableNamed(tableName);
            if (static_cast<std::size_t>(rowid) > table.rows.size())
                throw ToolDatabaseError(
                    ToolDatabaseError::Kind::Refused,
                    QStringLiteral("%1: rows of %2 cannot be added or renumbered").arg(sql, table.name));
            const std::size_t row = static_cast<std::size_t>(rowid - 1);
            sqlite3_stmt* read = mirror_.prepared(QStringLiteral("SELECT * FROM \"%1\" WHERE rowid=?").arg(table.name));
            sqlite3_bind_int64(read, 1, rowid);
            if (sqlite3_step(read) != SQLITE_ROW) {
                sqlite3_reset(read);
                throw Error(QStringLiteral("%1: a changed row of %2 is missing").arg(sql, table.name));
            }
            for (std::size_t column = 0; column < table.columns.size(); ++column) {
                const QVariant now = columnValue(read, static_cast<int>(column));
                if (sameValue(table.rows[row][column], now)) continue;
                if (!isTextKind(table.columns[column].kind) || (now.isValid() && now.typeId() != QMetaType::QString)) {
                    sqlite3_reset(read);
                    throw ToolDatabaseError(ToolDatabaseError::Kind::Refused,
                                            QStringLiteral("%1: column %2 of %3 is not a text or memo column; "
                                                           "only text and memo cells can be changed")
                                                .arg(sql, table.columns[column].name, table.name));
                }
                changes.push_back({table.name, table.locations[row], table.columns[column].name, now});
            }
            sqlite3_reset(read);
        }
        return changes;
    }

    void applyToSaved(const std::vector<mdb::CellChange>& changes, const std::vector<mdb::RowMove>& moves) {
        for (const mdb::CellChange& change : changes)
            for (mdb::Table& table : tables_) {
                if (table.name != change.table) continue;
                for (std::size_t row = 0; row < table.rows.size(); ++row) {
                    if (!(table.locations[row] == change.location)) continue;
                    for (std::size_t column = 0; column < table.columns.size(); ++column)
                        if (table.columns[column].name == change.column) table.rows[row][column] = change.value;
                }
            }
        // A row that moved is found at its new place by the next save.
        for (const mdb::RowMove& move : moves)
            for (mdb::Table& table : tables_) {
                if (table.name != move.table) continue;
                std::replace(table.locations.begin(), table.locations.end(), move.from, move.to);
            }
    }
};

namespace {

// Runs `work`, giving any failure that has no kind yet the kind `kind`, but
// a missing part of the program its own.
template <typename Work>
auto withKind(ToolDatabaseError::Kind kind, Work&& work) {
    try {
        return work();
    } catch (const ToolDatabaseError&) {
        throw;
    } catch (const mdb::ProgramIncomplete& missing) {
        throw ToolDatabaseError(ToolDatabaseError::Kind::ProgramIncomplete, missing.message(),
                                {missing.missingFile(), {}, {}});
    } catch (const Error& error) {
        throw ToolDatabaseError(kind, error.message());
    }
}

}  // namespace

std::unique_ptr<ToolDatabase> ToolDatabase::open(const QString& path) {
    // The reader names the file in its messages; the mirror does not.
    std::vector<mdb::Table> tables =
        withKind(ToolDatabaseError::Kind::Unreadable, [&] { return mdb::readTables(path); });
    checkToolTables(tables, QFileInfo(path).fileName());
    try {
        return std::unique_ptr<ToolDatabase>(new ToolDatabase(std::make_unique<Impl>(path, std::move(tables))));
    } catch (const Error& error) {
        throw ToolDatabaseError(ToolDatabaseError::Kind::Unreadable,
                                QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), error.message()));
    }
}

ToolDatabase::ToolDatabase(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ToolDatabase::~ToolDatabase() = default;

QString ToolDatabase::path() const {
    return impl_->path_;
}

Recordset ToolDatabase::query(const QString& sql) const {
    return withKind(ToolDatabaseError::Kind::Failed, [&] { return impl_->query(sql); });
}

int ToolDatabase::execute(const QString& sql) {
    return withKind(ToolDatabaseError::Kind::Failed, [&] { return impl_->execute(sql); });
}

}  // namespace tallomar::tooldb
