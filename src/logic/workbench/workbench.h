#pragma once

#include "logic/workbench/check_pass.h"
#include "logic/workbench/correction.h"
#include "logic/workbench/run_outcome.h"
#include "session/session.h"
#include "tooldb/tool_database.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tallomar {

class RunContext;

// The tool-database reads of the workbench.
struct ToolReads {
    // One value or empty text, never failing visibly (SelectValue).
    std::function<QString(const QString& field, const QString& table, const QString& condition)> selectValue;
    // Rows of a SELECT; failures reach the caller as Error.
    std::function<tooldb::Recordset(const QString& sql)> openRecordset;

    // Reads from `database`, which must outlive the reads.
    static ToolReads of(const tooldb::ToolDatabase& database);
};

// Runs long work (scripts, the result fetch) and returns what the work
// returns: the window runs it behind its progress dialog, the command line
// on its own thread.
using RunWork = std::function<RunOutcome(RunContext&)>;
using LongRun = std::function<RunOutcome(const QString& title, const RunWork& work)>;

// What the tool offers when the main window opens.
struct ToolOffer {
    QString title;  // the tool name, or the fallback title
    bool check = false;
    bool run = false;
    bool runCaptioned = false;  // the run button reads "执行(&R)" (no check scripts)
    bool bewrite = false;
    QString projectType;
};

// The follow-up a check with findings offers.
enum class FollowUp { None, Correction, Solution };

// The check run, the correction run and the tool's texts, free of any
// window: the main window and the command line both drive this class. The
// scripts run in the session's account-set database; the session must
// outlive the workbench.
class Workbench {
public:
    // Reads the session's tool database.
    Workbench(const Session& session, LongRun longRun);
    Workbench(const Session& session, ToolReads reads, LongRun longRun);

    ToolOffer loadTool() const;
    QString readme() const;
    QString solution() const;

    // Runs every check script in order, then delivers the result table the
    // last check row names. Table names reach SQL quoted, so no name can
    // change the statements.
    CheckOutcome check(const ResultReceiver& receiver) const;
    // Runs the correction scripts in order, stopping at the first failure,
    // between a check before them and a re-check after them whose rows go
    // to `receiver`. In a transaction it returns with the transaction open
    // once everything ran: the caller commits or rolls back.
    Correction correct(const QString& projectType, const ResultReceiver& receiver,
                       CorrectionMode mode = CorrectionMode::Transaction) const;

    // The project type as a number, an empty text counting as 0; none for a
    // text that is not a number.
    static std::optional<double> projectTypeNumber(const QString& projectType);
    static FollowUp followUp(const QString& projectType, qint64 findings);

    // The status line after a check run.
    static QString checkStatus(const CheckOutcome& outcome);

private:
    const Session& session_;
    ToolReads reads_;
    LongRun longRun_;
};

// Texts of the workbench.
namespace texts {
inline const QString kFallbackTitle = QStringLiteral("TallomarV3.0");
inline const QString kRunCaption = QStringLiteral("执行(&R)");
inline const QString kStatusDescription = QStringLiteral("状态：工具说明");
inline const QString kStatusReadme = QStringLiteral("状态：使用说明");
inline const QString kStatusSolution = QStringLiteral("执行结果参考方案");
inline const QString kStatusNoFindings = QStringLiteral("恭喜您，没有发现问题!");
inline const QString kStatusNoResultTable = QStringLiteral("检错过程遇到未知错误，请与管理员联系！");
inline const QString kStatusRepaired = QStringLiteral("恭喜您，成功修复!");
// A check or correction that did not complete leaves no findings current.
inline const QString kStatusCheckFailed = QStringLiteral("检查没有完成，没有可用的检查结果。");
inline const QString kStatusCheckCancelled = QStringLiteral("检查已取消，没有可用的检查结果。");
inline const QString kStatusCorrectionFailed = QStringLiteral("修复没有执行，请重新检查。");
inline const QString kReportRepaired = QStringLiteral("成功执行！");
inline const QString kReportRunErrors = QStringLiteral("有未知的错误，可能原因如下：");
inline const QString kCancelledHeading = QStringLiteral("已取消：");
inline const QString kCheckTitle = QStringLiteral("检查");
inline const QString kCorrectionTitle = QStringLiteral("修复");
// Where a run stopped: "脚本 " + script + " 第 " + batch + " 批（第 " + line +
// " 行起）"; empty when the outcome names no script or no batch.
QString runStopPlace(const RunOutcome& outcome);
// What a failure box shows: the failure's own text, then on a line of its
// own where the run stopped. A cancelled run reads "已取消：" + the
// cancelled text alone.
QString runFailureText(const RunOutcome& outcome);
// The report of a failed correction run: the heading, CR LF, the failure,
// CR LF, where the run stopped. A cancelled run's report is its failure text.
QString runErrorsReport(const RunOutcome& failure);
// "共找到[" + count + "]条记录"
QString findingsStatus(qint64 count);
}  // namespace texts

}  // namespace tallomar
