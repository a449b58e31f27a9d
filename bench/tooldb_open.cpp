// Opening a large tool database and reading settings from it: a file of
// about 5 MB (5,000 problem descriptions with memos) is written into a
// scratch folder, then opened and mirrored several times, then read with
// 10,000 SelectValue calls.
#include "jet4writer/jet4_writer.h"
#include "measure.h"
#include "tooldb/tool_access.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace tallomar;
using mdb::ColumnKind;

constexpr int kDescriptions = 5'000;
constexpr int kOpenRuns = 7;
constexpr int kSelectCalls = 10'000;

jet4::DatabaseSpec largeToolDatabase() {
    jet4::TableSpec zol{QStringLiteral("ZOL"),
                        {{QStringLiteral("cSys"), ColumnKind::Text, 20},
                         {QStringLiteral("cName"), ColumnKind::Text, 50},
                         {QStringLiteral("cValue"), ColumnKind::Memo}},
                        {}};
    for (const char* name : {"ServerName", "UserName", "PassWord", "ZTName", "Year", "Soft", "ToolName"})
        zol.rows.push_back({{QStringLiteral("TDB"), QString::fromLatin1(name), QStringLiteral("值 %1").arg(name)}});
    jet4::TableSpec bewrite{QStringLiteral("Bewrite"),
                            {{QStringLiteral("ID"), ColumnKind::LongInteger},
                             {QStringLiteral("cOperate"), ColumnKind::Memo},
                             {QStringLiteral("cResult"), ColumnKind::Memo},
                             {QStringLiteral("cPath"), ColumnKind::Text, 100}},
                            {}};
    const QString operate =
        QStringLiteral("打开总账凭证列表，按期间筛选借贷不平的凭证并逐张核对分录金额。").repeated(7);
    const QString result = QStringLiteral("提示：凭证借贷不平，请重新记账后再执行检查。").repeated(7);
    for (int id = 1; id <= kDescriptions; ++id)
        bewrite.rows.push_back({{id, QStringLiteral("%1 %2").arg(id).arg(operate),
                                 QStringLiteral("%1 %2").arg(id).arg(result), QStringLiteral("pic\\%1.bmp").arg(id)}});
    // The program opens only files with all four tables; the steps and editions stay empty here.
    const jet4::TableSpec file{QStringLiteral("File"),
                               {{QStringLiteral("cSign"), ColumnKind::Text, 10},
                                {QStringLiteral("cType"), ColumnKind::Text, 10},
                                {QStringLiteral("cName"), ColumnKind::Text, 50},
                                {QStringLiteral("cPath"), ColumnKind::Text, 255},
                                {QStringLiteral("iOrder"), ColumnKind::LongInteger},
                                {QStringLiteral("cResult"), ColumnKind::Text, 128}},
                               {}};
    const jet4::TableSpec version{QStringLiteral("Version"),
                                  {{QStringLiteral("cItem"), ColumnKind::Text, 50},
                                   {QStringLiteral("iGrade"), ColumnKind::LongInteger},
                                   {QStringLiteral("bsign"), ColumnKind::Boolean},
                                   {QStringLiteral("ID"), ColumnKind::LongInteger}},
                                  {}};
    return {{zol, file, version, bewrite}};
}

}  // namespace

int main() {
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("ZOL.mdb"));
    jet4::writeDatabase(largeToolDatabase(), path);
    std::printf("tool database: %.1f MB, %d descriptions\n", QFileInfo(path).size() / 1e6, kDescriptions);

    std::unique_ptr<tooldb::ToolDatabase> cnTool;
    std::vector<double> openMs;
    for (int run = 0; run < kOpenRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        cnTool = tooldb::ToolDatabase::open(path);
        openMs.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("open and mirror: median %.1f ms over %d runs (min %.1f, max %.1f)\n", bench::median(openMs), kOpenRuns,
                *std::min_element(openMs.begin(), openMs.end()), *std::max_element(openMs.begin(), openMs.end()));

    const QStringList names = {QStringLiteral("cName='ServerName'"), QStringLiteral("cName='Year'"),
                               QStringLiteral("cName='Missing'")};
    std::vector<double> perCallUs;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        qsizetype total = 0;
        for (int call = 0; call < kSelectCalls; ++call)
            total += SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"), names[call % names.size()], *cnTool)
                         .size();
        perCallUs.push_back(timer.nsecsElapsed() / 1e3 / kSelectCalls);
        if (total == 0) std::printf("no values read\n");
    }
    const QString firstId = SelectValue(QStringLiteral("ID"), QStringLiteral("Bewrite"), QString(), *cnTool);
    std::printf("SelectValue: median %.2f us per call over 5 runs of %d calls (first Bewrite ID %s)\n",
                bench::median(perCallUs), kSelectCalls, qPrintable(firstId));
    return 0;
}
