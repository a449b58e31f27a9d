// Cutting a large GBK script into batches, no server: throughput and peak
// memory. The script (about 200 MB, 100,000 batches with Chinese comments)
// is generated into a scratch folder, then cut several times.
#include "logic/workbench/script_batches.h"
#include "measure.h"
#include "platform/text/codepage.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

constexpr int kBatches = 100'000;
constexpr int kRuns = 5;

// One batch of about 2 KB in GBK.
QByteArray batchText(int number) {
    QString text = QStringLiteral("-- 第%1批：检查凭证表与科目余额表是否一致，找出借贷不平的凭证\r\n").arg(number);
    for (int row = 0; row < 15; ++row) {
        text += QStringLiteral(
                    "insert into #结果 (凭证号, 科目, 金额) select iNo_id, ccode, md from GL_accvouch where "
                    "iperiod = %1 and ccode like '%2%%' -- 期间%1\r\n")
                    .arg(row + 1)
                    .arg(number % 9000 + 1000);
    }
    text += QStringLiteral("GO\r\n");
    return *tallomar::codepage::encodeGbk(text);
}

}  // namespace

int main() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("large.sql"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return 1;
        for (int i = 0; i < kBatches; ++i) file.write(batchText(i));
    }
    const double megabytes = double(QFile(path).size()) / (1 << 20);
    std::printf("script: %.1f MB, %d batches\n", megabytes, kBatches);

    std::vector<double> rates;
    for (int run = 0; run < kRuns; ++run) {
        qint64 batches = 0, characters = 0;
        QElapsedTimer timer;
        timer.start();
        tallomar::forEachBatch(path, [&](const QString& batch, qint64) {
            ++batches;
            characters += batch.size();
        });
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        rates.push_back(megabytes / seconds);
        std::printf("run %d: %lld batches, %.2f s, %.0f MB/s\n", run + 1, static_cast<long long>(batches), seconds,
                    rates.back());
    }
    std::printf("median: %.0f MB/s (target >= 300)\n", bench::median(rates));
    std::printf("peak memory (VmHWM): %.1f MB (target < 32)\n", double(bench::peakResidentKib()) / 1024);
    return 0;
}
