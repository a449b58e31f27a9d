// tallomar-cli against a history on a 2 MiB file system of its own: a check
// with more findings than the disk holds, the disk filled to its last block
// by another file and then given back, and the file system made read-only.
// The file system is a tmpfs mounted in a mount namespace of the steps'
// own (unshare: a user namespace where the kernel lets anyone make one,
// else root's own), so nothing outside the test sees it.
#include "recorded_runs.h"

#include "jet4writer/description.h"
#include "jet4writer/jet4_writer.h"
#include "support/sandbox_server.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <map>

namespace tallomar::test {
namespace {

// Each step's stdout, stderr and exit status go to STEP.out, STEP.err and
// STEP.rc in the results folder; the history lives on the tmpfs.
const char kSteps[] = R"sh(
disk=$1 results=$2 cli=$3 server=$4 package=$5 firstRelease=$6
mount -t tmpfs -o size=2m tmpfs "$disk" || exit 1
touch "$results/mounted"
export XDG_DATA_HOME="$disk"
step() {
    name=$1; shift
    "$@" >"$results/$name.out" 2>"$results/$name.err" </dev/null
    echo $? >"$results/$name.rc"
}
check() {
    printf 'Sandbox#1\n' | "$cli" check --package "$package" --server "$server" --user sa --password-stdin \
        --database "$2" >"$results/$1.out" 2>"$results/$1.err"
    echo $? >"$results/$1.rc"
}
check small qvdata_001_2008
check big qvdata_002_2008
step show-big "$cli" history show 2
dd if=/dev/zero of="$disk/filler" bs=4096 2>/dev/null
check full qvdata_001_2008
step prune-full "$cli" history prune --older-than 0
rm "$disk/filler"
check back qvdata_001_2008
step list "$cli" history --format json
step prune "$cli" history prune --older-than 0
check after-prune qvdata_001_2008
mkdir -p "$disk/first/tallomar" && cp "$firstRelease" "$disk/first/tallomar/history.sqlite"
step read-only-mount mount -o remount,bind,ro "$disk"
step list-read-only "$cli" history --format json
step show-read-only "$cli" history show 1
check read-only qvdata_001_2008
export XDG_DATA_HOME="$disk/first"
step list-first-release "$cli" history --format json
)sh";

struct Step {
    int exitCode = -1;
    QString out;
    QString err;
};

class HistoryOnASmallDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work.isValid());
        ASSERT_TRUE(QDir(work.path()).mkpath(QStringLiteral("package")));
        ASSERT_TRUE(QDir(work.path()).mkpath(QStringLiteral("disk")));
        ASSERT_TRUE(QDir(work.path()).mkpath(QStringLiteral("results")));
        const QDir demo(QStringLiteral(TALLOMAR_DEMO_SOURCE));
        QFile description(demo.filePath(QStringLiteral("ZOL.json")));
        ASSERT_TRUE(description.open(QIODevice::ReadOnly));
        jet4::writeDatabase(jet4::parseDescription(description.readAll(), QStringLiteral("ZOL.json")),
                            path(QStringLiteral("package/ZOL.mdb")));
        for (const QString& script :
             QDir(demo.filePath(QStringLiteral("scripts"))).entryList({QStringLiteral("*.sql")}))
            ASSERT_TRUE(QFile::copy(demo.filePath(QStringLiteral("scripts/") + script),
                                    path(QStringLiteral("package/") + script)));
        writeFirstReleaseHistory(path(QStringLiteral("first-release.sqlite")));
        // 40,000 findings more: about 2.5 MB of them, more than the disk holds.
        sandbox.server().seedDatabase(
            "qvdata_002_2008",
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000)"
            " INSERT INTO ledger_entry SELECT 1000 + i, 1, ' 9999', '批量导入的分录，科目编码有误', i, 0"
            " FROM n;");
    }

    QString path(const QString& name) const { return QDir(work.path()).filePath(name); }

    // Runs the steps in a mount namespace; the reason when none could be made.
    QString runSteps() {
        const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
        if (unshare.isEmpty()) return QStringLiteral("unshare is not installed");
        const QStringList arguments{QStringLiteral("-c"),
                                    QString::fromUtf8(kSteps),
                                    QStringLiteral("steps"),
                                    path(QStringLiteral("disk")),
                                    path(QStringLiteral("results")),
                                    QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-cli"),
                                    sandbox.serverName(),
                                    path(QStringLiteral("package")),
                                    path(QStringLiteral("first-release.sqlite"))};
        QString reasons;
        for (const QStringList& namespaces :
             {QStringList{QStringLiteral("--user"), QStringLiteral("--map-root-user"), QStringLiteral("--mount")},
              QStringList{QStringLiteral("--mount")}}) {
            QProcess steps;
            steps.start(unshare, namespaces + QStringList{QStringLiteral("sh")} + arguments);
            if (!steps.waitForFinished(300000)) return QStringLiteral("the steps did not end");
            if (QFile::exists(path(QStringLiteral("results/mounted")))) return {};
            reasons += QString::fromLocal8Bit(steps.readAllStandardError());
        }
        return QStringLiteral("no tmpfs could be mounted in a namespace of its own: ") + reasons.simplified();
    }

    Step step(const QString& name) const {
        const auto read = [&](const QString& suffix) {
            QFile file(path(QStringLiteral("results/") + name + suffix));
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        bool ok = false;
        const int exitCode = read(QStringLiteral(".rc")).trimmed().toInt(&ok);
        EXPECT_TRUE(ok) << name.toStdString() << " did not run";
        return {exitCode, read(QStringLiteral(".out")), read(QStringLiteral(".err"))};
    }

    QTemporaryDir work;
    SandboxServer sandbox;
};

// The id a check's stderr says its run was recorded under; 0 when it says none.
qint64 recordedId(const Step& check) {
    const QRegularExpressionMatch said =
        QRegularExpression(QStringLiteral("run (\\d+) recorded in history")).match(check.err);
    return said.hasMatch() ? said.captured(1).toLongLong() : 0;
}

std::map<qint64, QJsonObject> listedRuns(const Step& list) {
    std::map<qint64, QJsonObject> runs;
    for (const QJsonValue& run : QJsonDocument::fromJson(list.out.toUtf8()).array())
        runs[run[QStringLiteral("id")].toInteger()] = run.toObject();
    return runs;
}

TEST_F(HistoryOnASmallDisk, RecordedIsSaidOnlyOfRecordedRunsAndTheHistoryWritesAgainOnceThereIsRoom) {
    const QString notRun = runSteps();
    if (!notRun.isEmpty()) GTEST_SKIP() << notRun.toStdString();

    // Every check ran to its end and printed all its findings, recorded or not.
    for (const char* name : {"small", "full", "back", "after-prune", "read-only"}) {
        const Step check = step(QString::fromUtf8(name));
        EXPECT_EQ(check.exitCode, 1) << name << ": " << check.err.toStdString();
        EXPECT_EQ(check.out.count(QStringLiteral("\r\n")), 4) << name;
        EXPECT_FALSE(check.err.contains(QStringLiteral("disk I/O error"))) << check.err.toStdString();
    }
    const Step big = step(QStringLiteral("big"));
    EXPECT_EQ(big.exitCode, 1) << big.err.toStdString();
    EXPECT_EQ(big.out.count(QStringLiteral("\r\n")), 40002);  // its one demo finding, the 40,000 added and the header

    // The check with more findings than the disk holds keeps what leaves the
    // disk room, says so, and is recorded.
    EXPECT_EQ(recordedId(step(QStringLiteral("small"))), 1);
    EXPECT_TRUE(big.err.contains(QStringLiteral("the disk is nearly full: the run history keeps only the first ")))
        << big.err.toStdString();
    EXPECT_EQ(recordedId(big), 2) << big.err.toStdString();
    const Step shownBig = step(QStringLiteral("show-big"));
    EXPECT_EQ(shownBig.exitCode, 0) << shownBig.err.toStdString();
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("kept the first \\d+ of its 40001 findings")).match(shownBig.err).hasMatch())
        << shownBig.err.toStdString();

    // With the disk full to its last block nothing is recorded, said in words.
    const Step full = step(QStringLiteral("full"));
    EXPECT_EQ(recordedId(full), 0) << full.err.toStdString();
    EXPECT_EQ(full.err.count(QStringLiteral("the run history is not being written")), 1) << full.err.toStdString();
    EXPECT_TRUE(full.err.contains(QStringLiteral("the disk is full"))) << full.err.toStdString();
    const Step pruneFull = step(QStringLiteral("prune-full"));
    EXPECT_EQ(pruneFull.exitCode, 2);
    EXPECT_TRUE(pruneFull.err.contains(QStringLiteral("the disk is full"))) << pruneFull.err.toStdString();

    // Space back: the next run is recorded, and the history lists each run
    // that said so as it ended, and no other.
    const Step back = step(QStringLiteral("back"));
    EXPECT_EQ(recordedId(back), 3) << back.err.toStdString();
    const Step list = step(QStringLiteral("list"));
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    const std::map<qint64, QJsonObject> runs = listedRuns(list);
    ASSERT_EQ(runs.size(), 3u) << list.out.toStdString();
    for (const auto& [id, run] : runs) {
        EXPECT_EQ(run[QStringLiteral("status")].toString(), QStringLiteral("findings")) << id;
        EXPECT_FALSE(run[QStringLiteral("finished")].isNull()) << id;
    }
    EXPECT_EQ(runs.at(2)[QStringLiteral("findings")], QJsonValue(40001));
    EXPECT_EQ(runs.at(3)[QStringLiteral("findings")], QJsonValue(3));
    const Step prune = step(QStringLiteral("prune"));
    EXPECT_EQ(prune.exitCode, 0) << prune.err.toStdString();
    EXPECT_EQ(prune.out, QStringLiteral("deleted 3 run(s)\n"));
    EXPECT_GT(recordedId(step(QStringLiteral("after-prune"))), 0);

    // A read-only history still reads, the first release's too; a run on it
    // goes unrecorded and says why.
    ASSERT_EQ(step(QStringLiteral("read-only-mount")).exitCode, 0)
        << step(QStringLiteral("read-only-mount")).err.toStdString();
    const Step listReadOnly = step(QStringLiteral("list-read-only"));
    EXPECT_EQ(listReadOnly.exitCode, 0) << listReadOnly.err.toStdString();
    EXPECT_EQ(listedRuns(listReadOnly).size(), 1u) << listReadOnly.out.toStdString();
    const Step showReadOnly = step(QStringLiteral("show-read-only"));
    EXPECT_EQ(showReadOnly.exitCode, 0) << showReadOnly.err.toStdString();
    EXPECT_EQ(showReadOnly.out.count(QStringLiteral("\r\n")), 4) << showReadOnly.out.toStdString();
    const Step readOnly = step(QStringLiteral("read-only"));
    EXPECT_EQ(recordedId(readOnly), 0) << readOnly.err.toStdString();
    EXPECT_TRUE(readOnly.err.contains(QStringLiteral("the history is read-only"))) << readOnly.err.toStdString();
    const Step firstRelease = step(QStringLiteral("list-first-release"));
    EXPECT_EQ(firstRelease.exitCode, 0) << firstRelease.err.toStdString();
    const std::map<qint64, QJsonObject> firstRuns = listedRuns(firstRelease);
    ASSERT_EQ(firstRuns.size(), 5u) << firstRelease.out.toStdString();
    EXPECT_EQ(firstRuns.at(7)[QStringLiteral("findings")], QJsonValue(1));
}

}  // namespace
}  // namespace tallomar::test
