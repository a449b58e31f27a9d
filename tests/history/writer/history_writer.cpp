// Writes runs into a run history from its own process:
//
//     tallomar-history-writer HISTORY runs N   N finished checks of 3 findings each
//     tallomar-history-writer HISTORY hang     one check left running; prints its id, then waits
//
// Exit status 1 when the recorder warned.
#include "recorded_runs.h"

#include "logic/history/run_recorder.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

using namespace tallomar;

namespace {

std::vector<history::FindingRow> findings(int run) {
    const QString tag = QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-') + QString::number(run);
    return {{tag, QStringLiteral("a")}, {tag, std::nullopt}, {tag, QString()}};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) return 2;
    const QString path = arguments[1];
    bool warned = false;
    const auto warning = [&warned](const QString& message) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
        warned = true;
    };
    const ResultReceiver ignore{[](const QStringList&) {}, [](const ResultBlock&) {}};
    const QStringList columns{QStringLiteral("tag"), QStringLiteral("value")};
    if (arguments[2] == u"hang") {
        history::RunRecorder recorder(path, warning);
        recorder.start(test::demoFacts(history::RunKind::Check), QString());
        test::deliverFindings(recorder.recording(ignore), columns, findings(0));
        std::printf("%lld\n", static_cast<long long>(recorder.runId().value_or(0)));
        std::fflush(stdout);
        for (;;) QThread::sleep(60);
    }
    const int runs = arguments.value(3).toInt();
    for (int run = 0; run < runs; ++run) {
        history::RunRecorder recorder(path, warning);
        recorder.start(test::demoFacts(history::RunKind::Check), QString());
        test::deliverFindings(recorder.recording(ignore), columns, findings(run));
        recorder.finish({history::RunStatus::Findings, QStringLiteral("共找到[3]条记录"), 3, {}, {}});
    }
    return warned ? 1 : 0;
}
