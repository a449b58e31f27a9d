#include "logic/history/run_recorder.h"

#include "logic/history/finding_row.h"
#include "logic/history/history_database.h"
#include "logic/history/serial_writer.h"
#include "logic/workbench/result_block.h"
#include "platform/error.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <filesystem>

namespace tallomar::history {

namespace {

void bindText(sqlite3_stmt* statement, int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

template <typename T>
void bindOptional(sqlite3_stmt* statement, int index, const std::optional<T>& value) {
    if (value)
        sqlite3_bind_int64(statement, index, static_cast<sqlite3_int64>(*value));
    else
        sqlite3_bind_null(statement, index);
}

QString nowText() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

// What findings leave free on the history's disk: the run's end, the runs
// after it, a prune and the operator's other programs need room too, and a
// history that took a disk's last bytes could no longer write even the
// deletion that gives them back.
constexpr std::uintmax_t kDiskReserve = 1024 * 1024;

}  // namespace

QString fileSha256(const QString& path) {
    if (path.isEmpty()) return {};
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) return {};
    return QString::fromLatin1(hash.result().toHex());
}

RunRecorder::RunRecorder(QString historyPath, Warning warning)
    : path_(std::move(historyPath)), warning_(std::move(warning)) {}

RunRecorder::~RunRecorder() {
    if (id_ != 0 && !finished_) finish({RunStatus::Interrupted, {}, {}, {}, {}});
}

template <typename Write>
void RunRecorder::guarded(Write write) {
    if (failed_) return;
    try {
        write();
    } catch (const Error& error) {
        failed_ = true;
        if (database_) abandonRun();
        database_.reset();
        if (warning_) warning_(QStringLiteral("the run history is not being written: %1").arg(error.message()));
    }
}

void RunRecorder::abandonRun() {
    // The failed write's transaction is rolled back by now. On a full disk
    // the log is given back first, as the deletion needs room of its own.
    sqlite3* handle = database_->handle();
    (void)sqlite3_wal_checkpoint_v2(handle, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    if (id_ == 0) return;
    try {
        WriteTransaction transaction(*database_);
        for (const char* sql : {"DELETE FROM finding WHERE run_id = ?1", "DELETE FROM script WHERE run_id = ?1",
                                "DELETE FROM run WHERE id = ?1"}) {
            sqlite3_stmt* remove = database_->prepared(sql);
            sqlite3_bind_int64(remove, 1, id_);
            database_->step(remove);
        }
        transaction.commit();
    } catch (const Error&) {
        return;  // the run stays as far as it got, and reads as interrupted once this program ends
    }
    (void)sqlite3_wal_checkpoint_v2(handle, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
}

template <typename Write>
void RunRecorder::later(Write write) {
    if (writer_) writer_->post([this, write = std::move(write)] { guarded(write); });
}

void RunRecorder::start(const RunFacts& facts, const QString& toolDatabaseFile) {
    clock_.start();
    guarded([&] {
        database_ = std::make_unique<HistoryDatabase>(path_);
        const ProcessIdentity process = ProcessIdentity::current();
        sqlite3_stmt* insert = database_->prepared(
            "INSERT INTO run(kind, started, os_user, host, pid, boot_id, process_start, server, login_user, edition,"
            " account_set, year, database_name, tool, package_folder, tool_database_sha256, status)"
            " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, 'running')");
        bindText(insert, 1, kindName(facts.kind));
        bindText(insert, 2, nowText());
        bindText(insert, 3, process.osUser);
        bindText(insert, 4, process.host);
        sqlite3_bind_int64(insert, 5, process.pid);
        bindText(insert, 6, process.bootId);
        bindText(insert, 7, process.processStart);
        bindText(insert, 8, facts.server);
        bindText(insert, 9, facts.loginUser);
        bindText(insert, 10, facts.edition);
        bindText(insert, 11, facts.accountSet);
        bindText(insert, 12, facts.year);
        bindText(insert, 13, facts.database);
        bindText(insert, 14, facts.tool);
        bindText(insert, 15, facts.packageFolder);
        bindText(insert, 16, fileSha256(toolDatabaseFile));
        database_->step(insert);
        id_ = sqlite3_last_insert_rowid(database_->handle());
        writer_ = std::make_unique<SerialWriter>();
    });
}

void RunRecorder::script(const QString& file, qint64 batches, const QString& outcome, const QString& serverMessage) {
    later([this, position = ++scripts_, file, sha256 = fileSha256(file), batches, outcome, serverMessage] {
        sqlite3_stmt* insert = database_->prepared(
            "INSERT INTO script(run_id, position, file, sha256, batches, outcome, server_message)"
            " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        sqlite3_bind_int64(insert, 1, id_);
        sqlite3_bind_int(insert, 2, position);
        bindText(insert, 3, file);
        bindText(insert, 4, sha256);
        sqlite3_bind_int64(insert, 5, batches);
        bindText(insert, 6, outcome);
        bindText(insert, 7, serverMessage);
        database_->step(insert);
    });
}

ResultReceiver RunRecorder::recording(ResultReceiver next) {
    return {
        [this, next](const QStringList& names) {
            columns(names);
            next.columns(names);
        },
        [this, next](const ResultBlock& block) {
            rows(block);
            next.rows(block);
        },
    };
}

void RunRecorder::columns(const QStringList& columns) {
    later([this, columns] {
        sqlite3_stmt* update = database_->prepared("UPDATE run SET columns = ?2 WHERE id = ?1");
        sqlite3_bind_int64(update, 1, id_);
        bindText(update, 2,
                 QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(columns)).toJson(QJsonDocument::Compact)));
        database_->step(update);
    });
}

void RunRecorder::rows(const ResultBlock& rows) {
    const int count = static_cast<int>(std::min<qint64>(rows.rowCount(), kMaxRecordedFindings - kept_));
    if (!writer_ || failed_ || findingsStopped_ || count <= 0) return;
    // The block's rows are only valid during this call: they are copied here,
    // and written on the writer's thread while the fetch goes on.
    QByteArray blob;
    blob.reserve(lastBlobSize_);
    for (int row = 0; row < count; ++row) appendFindingRow(rows, row, blob);
    lastBlobSize_ = blob.size();
    later([this, position = kept_ + 1, count, blob = std::move(blob)] {
        if (findingsStopped_) return;
        if (!roomFor(blob.size())) {
            findingsStopped_ = true;
            if (warning_)
                warning_(QStringLiteral("%1: the disk is nearly full: the run history keeps only the first %2 findings"
                                        " of this run")
                             .arg(path_)
                             .arg(position - 1));
            return;
        }
        WriteTransaction transaction(*database_);
        sqlite3_stmt* insert =
            database_->prepared("INSERT INTO finding(run_id, position, row_count, cells) VALUES(?1, ?2, ?3, ?4)");
        sqlite3_bind_int64(insert, 1, id_);
        sqlite3_bind_int64(insert, 2, position);
        sqlite3_bind_int(insert, 3, count);
        sqlite3_bind_blob64(insert, 4, blob.constData(), sqlite3_uint64(blob.size()), SQLITE_STATIC);
        database_->step(insert);
        sqlite3_stmt* update = database_->prepared("UPDATE run SET findings_kept = ?2 WHERE id = ?1");
        sqlite3_bind_int64(update, 1, id_);
        sqlite3_bind_int64(update, 2, position - 1 + count);
        database_->step(update);
        transaction.commit();
        // No more findings will come: the log is folded into the file now,
        // while the check still fetches, rather than when the run ends. One
        // that cannot run now (another program's checkpoint) runs then.
        if (position - 1 + count == kMaxRecordedFindings)
            (void)sqlite3_wal_checkpoint_v2(database_->handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    });
    kept_ += count;
}

bool RunRecorder::roomFor(qsizetype blobBytes) {
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(
        std::filesystem::path(QFile::encodeName(QFileInfo(path_).absolutePath()).toStdString()), error);
    if (error) return true;  // not known: the write itself will tell
    // The block goes into the write-ahead log first; at the next checkpoint
    // the block and what the log already holds (its file's size at most) go
    // into the file, which takes them into the pages pruned runs left free
    // before it grows.
    const auto pragma = [this](const char* sql) {
        sqlite3_stmt* statement = database_->prepared(sql);
        database_->step(statement);
        const auto value = std::uintmax_t(sqlite3_column_int64(statement, 0));
        sqlite3_reset(statement);  // a statement left on its row holds its read transaction open
        return value;
    };
    const std::uintmax_t bytes = std::uintmax_t(blobBytes);
    const std::uintmax_t checkpointed = bytes + std::uintmax_t(QFileInfo(path_ + QStringLiteral("-wal")).size());
    const std::uintmax_t freeInFile = pragma("PRAGMA freelist_count") * pragma("PRAGMA page_size");
    return space.available >= bytes + (checkpointed > freeInFile ? checkpointed - freeInFile : 0) + kDiskReserve;
}

void RunRecorder::finish(const RunEnd& end) {
    finished_ = true;
    if (!writer_) return;
    writer_->post([this, end, finished = nowText(), duration = clock_.elapsed()] {
        guarded([&] {
            sqlite3_stmt* update = database_->prepared(
                "UPDATE run SET finished = ?2, duration_ms = ?3, status = ?4, status_text = ?5, finding_count = ?6,"
                " committed = ?7, recheck_count = ?8 WHERE id = ?1");
            sqlite3_bind_int64(update, 1, id_);
            bindText(update, 2, finished);
            sqlite3_bind_int64(update, 3, duration);
            bindText(update, 4, statusName(end.status));
            bindText(update, 5, end.statusText);
            bindOptional(update, 6, end.findings);
            bindOptional(update, 7, end.committed);
            bindOptional(update, 8, end.recheckFindings);
            database_->step(update);
        });
        database_.reset();
    });
    writer_.reset();  // waits for everything posted to be written
}

std::optional<qint64> RunRecorder::runId() const {
    if (id_ == 0 || failed_) return std::nullopt;
    return id_;
}

}  // namespace tallomar::history
