#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace tallomar {

// The tempdb table one run of the check scripts fills.
//
// Check scripts leave their findings in a tempdb table whose name the
// package fixes (the last check row's cResult), and every session on a
// server shares tempdb: two runs at once on one server would drop, fill and
// read each other's table. So each run (a check, a correction with its
// checks before and after, a preview, one database of a sweep) works on a
// table of its own: every batch it sends has the package's name, wherever it
// stands as a whole name, replaced by one no other run uses, and the run
// reads only that table and drops it at its end.
//
// Where the scripts may reach the table by a name the program cannot see
// before it runs (SQL built at run time by EXEC (...) or sp_executesql, or
// a procedure called), a private name cannot be promised. Such a run keeps
// the package's name and is serialized instead: it holds an exclusive lock
// on the server named after the table for its whole length, so that runs of
// that table wait for one another (see ResultTableHold).
class ResultTable {
public:
    enum class Sharing {
        Private,     // name() is the run's own
        Serialized,  // name() is the package's; runs of it take turns
    };

    // The table `packageName` names for a run of the scripts at `scriptPaths`
    // (files on this file system), which are read here to decide how it is
    // shared. A script that cannot be read counts as unseen SQL: the run
    // itself reports it when it gets there. An empty `packageName` (the
    // check rows name no table) gives an empty table.
    static ResultTable forRun(const QString& packageName, const QStringList& scriptPaths);
    // A table of the given sharing, for tests.
    static ResultTable withSharing(const QString& packageName, Sharing sharing);

    bool isEmpty() const { return packageName_.isEmpty(); }
    const QString& packageName() const { return packageName_; }
    // The name the run's statements use.
    const QString& name() const { return name_; }
    Sharing sharing() const { return sharing_; }

    // Makes the batch the one this run sends, changing it in place: a large
    // batch is not copied, and one that does not name the table is left as
    // it is.
    void rewrite(QString& batch) const;

private:
    QString packageName_;
    QString name_;
    Sharing sharing_ = Sharing::Private;
};

// True when the batch runs SQL that cannot be read before it runs: text
// handed to EXEC (...), EXECUTE or sp_executesql, or a procedure, called by
// EXEC or by its name as the batch's first word. Comments and text values
// do not count.
bool runsUnseenSql(QStringView batch);

}  // namespace tallomar
