#include "logic/workbench/result_table.h"

#include "logic/workbench/script_batches.h"
#include "platform/error.h"

#include <QRandomGenerator>
#include <algorithm>
#include <span>
#include <vector>

namespace tallomar {

namespace {

// SQL Server's longest name, less the run's suffix "_run_" + 16 digits.
constexpr qsizetype kLongestName = 128;
constexpr qsizetype kSuffixLength = 21;

bool startsName(QChar c) {
    return c.isLetter() || c == u'_' || c == u'@' || c == u'#';
}
bool continuesName(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$';
}

// The words that begin a statement of their own; any other word first in a
// batch is the name of a procedure the batch calls.
constexpr std::u16string_view kStatementWords[]{
    u"alter",  u"backup",     u"begin",    u"break",       u"bulk",       u"checkpoint", u"close",
    u"commit", u"continue",   u"create",   u"dbcc",        u"deallocate", u"declare",    u"delete",
    u"deny",   u"disable",    u"drop",     u"else",        u"enable",     u"end",        u"fetch",
    u"goto",   u"grant",      u"if",       u"insert",      u"kill",       u"merge",      u"open",
    u"print",  u"raiserror",  u"readtext", u"reconfigure", u"restore",    u"return",     u"revert",
    u"revoke", u"rollback",   u"save",     u"select",      u"set",        u"throw",      u"truncate",
    u"update", u"updatetext", u"use",      u"waitfor",     u"while",      u"with",       u"writetext"};
constexpr std::u16string_view kUnseenSqlWords[]{u"exec", u"execute", u"sp_executesql"};

bool among(QStringView word, std::span<const std::u16string_view> words) {
    return std::ranges::any_of(
        words, [&](std::u16string_view candidate) { return word.compare(candidate, Qt::CaseInsensitive) == 0; });
}

// Index just past the comment, text or quoted name that starts at `i`;
// `i` itself when none starts there.
qsizetype skipQuoted(QStringView sql, qsizetype i) {
    const qsizetype n = sql.size();
    const QChar c = sql[i];
    const QChar next = i + 1 < n ? sql[i + 1] : QChar();
    if (c == u'-' && next == u'-') {
        const qsizetype end = sql.indexOf(u'\n', i);
        return end < 0 ? n : end + 1;
    }
    if (c == u'/' && next == u'*') {
        int depth = 0;
        for (qsizetype j = i; j < n; ++j) {
            if (sql[j] == u'/' && j + 1 < n && sql[j + 1] == u'*') {
                ++depth;
                ++j;
            } else if (sql[j] == u'*' && j + 1 < n && sql[j + 1] == u'/') {
                ++j;
                if (--depth == 0) return j + 1;
            }
        }
        return n;
    }
    const QChar close = c == u'\'' ? u'\'' : c == u'"' ? u'"' : c == u'[' ? u']' : QChar();
    if (close.isNull()) return i;
    for (qsizetype j = i + 1; j < n; ++j) {
        if (sql[j] != close) continue;
        if (j + 1 < n && sql[j + 1] == close) {
            ++j;  // a doubled quote stays inside
            continue;
        }
        return j + 1;
    }
    return n;
}

// Ends the reading of a script once it is known to run unseen SQL.
struct UnseenSqlFound {};

bool scriptRunsUnseenSql(const QString& path) {
    try {
        forEachBatch(path, [](const QString& batch, qint64) {
            if (runsUnseenSql(batch)) throw UnseenSqlFound{};
        });
        return false;
    } catch (const UnseenSqlFound&) {
        return true;
    } catch (const Error&) {
        return true;
    }
}

QString privateName(const QString& packageName) {
    return packageName.left(kLongestName - kSuffixLength) + QStringLiteral("_run_") +
           QStringLiteral("%1").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

}  // namespace

bool runsUnseenSql(QStringView batch) {
    bool first = true;
    const qsizetype n = batch.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = batch[i];
        if (c.isSpace() || c == u';') {
            ++i;
            continue;
        }
        if (const qsizetype end = skipQuoted(batch, i); end != i) {
            // A bracketed or quoted name first in the batch is a procedure's.
            const bool comment = c == u'-' || c == u'/';
            if (first && (c == u'[' || c == u'"')) return true;
            if (!comment) first = false;
            i = end;
            continue;
        }
        if (!startsName(c)) {
            first = false;
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < n && continuesName(batch[end])) ++end;
        const QStringView word = batch.mid(i, end - i);
        if (among(word, kUnseenSqlWords)) return true;
        if (first) {
            qsizetype after = end;
            while (after < n && batch[after].isSpace()) ++after;
            const bool label = after < n && batch[after] == u':';
            if (!label && !among(word, kStatementWords)) return true;
            first = false;
        }
        i = end;
    }
    return false;
}

ResultTable ResultTable::forRun(const QString& packageName, const QStringList& scriptPaths) {
    if (packageName.isEmpty()) return {};
    const bool unseen = std::ranges::any_of(scriptPaths, scriptRunsUnseenSql);
    return withSharing(packageName, unseen ? Sharing::Serialized : Sharing::Private);
}

ResultTable ResultTable::withSharing(const QString& packageName, Sharing sharing) {
    ResultTable table;
    table.packageName_ = packageName;
    table.sharing_ = sharing;
    table.name_ = sharing == Sharing::Private && !packageName.isEmpty() ? privateName(packageName) : packageName;
    return table;
}

void ResultTable::rewrite(QString& batch) const {
    if (sharing_ != Sharing::Private || packageName_.isEmpty()) return;
    const qsizetype length = packageName_.size();
    // Every place is found before the batch is touched, through a view (the
    // QString's own operator[] would detach it): a batch without the name
    // stays as it is, not even detached from its other holders.
    const QStringView unchanged(batch);
    std::vector<qsizetype> places;
    for (qsizetype at = unchanged.indexOf(packageName_, 0, Qt::CaseInsensitive); at >= 0;
         at = unchanged.indexOf(packageName_, at + length, Qt::CaseInsensitive)) {
        // Only the whole name: "demo_check" is not part of "demo_check2" or "#demo_check".
        const bool wholeBefore = at == 0 || !continuesName(unchanged[at - 1]);
        const bool wholeAfter = at + length == unchanged.size() || !continuesName(unchanged[at + length]);
        if (wholeBefore && wholeAfter) places.push_back(at);
    }
    if (places.empty()) return;
    // A batch can be most of a script file, so it is changed where it lies
    // rather than copied: each stretch after a place moves by the difference
    // in length of the names before it, from the last stretch down when the
    // text grows and from the first up when it shrinks, so that no stretch is
    // overwritten before it has moved.
    const qsizetype oldSize = batch.size();
    const qsizetype shift = name_.size() - length;
    const qsizetype count = qsizetype(places.size());
    if (shift > 0) batch.resize(oldSize + shift * count);
    QChar* const text = batch.data();
    auto moveStretch = [&](qsizetype index) {
        const qsizetype from = places[std::size_t(index)] + length;
        const qsizetype to = index + 1 < count ? places[std::size_t(index + 1)] : oldSize;
        const qsizetype by = shift * (index + 1);
        if (by > 0) {
            std::copy_backward(text + from, text + to, text + to + by);
        } else if (by < 0) {
            std::copy(text + from, text + to, text + from + by);
        }
        std::copy(name_.cbegin(), name_.cend(), text + places[std::size_t(index)] + shift * index);
    };
    if (shift > 0) {
        for (qsizetype index = count - 1; index >= 0; --index) moveStretch(index);
    } else {
        for (qsizetype index = 0; index < count; ++index) moveStretch(index);
        batch.truncate(oldSize + shift * count);
    }
}

}  // namespace tallomar
