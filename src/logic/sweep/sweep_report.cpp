#include "logic/sweep/sweep_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <algorithm>

namespace tallomar {

namespace {

bool isWide(char32_t code) {
    return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
           (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
           (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
           (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
}

QByteArray jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QString padded(const QString& text, int width) {
    return text + QString(std::max(0, width - terminalWidth(text)), QLatin1Char(' '));
}

}  // namespace

qint64 SweepReport::totalFindings() const {
    qint64 total = 0;
    for (const DatabaseCheck& check : checks) total += check.findings.value_or(0);
    return total;
}

int terminalWidth(const QString& text) {
    int width = 0;
    for (const char32_t code : text.toUcs4()) width += isWide(code) ? 2 : 1;
    return width;
}

QByteArray sweepJson(const SweepReport& report) {
    // Written by hand to keep the keys in the documented order, one database a line.
    QByteArray json = "{\"server\": " + jsonString(report.server) + ",\n \"databases\": [";
    for (qsizetype i = 0; i < report.checks.size(); ++i) {
        const DatabaseCheck& check = report.checks[i];
        json += i == 0 ? "\n  " : ",\n  ";
        json += "{\"database\": " + jsonString(check.target.database) +
                ", \"account\": " + jsonString(check.target.accountId) +
                ", \"year\": " + jsonString(check.target.year) +
                ", \"status\": " + jsonString(statusName(check.status)) +
                ", \"findings\": " + (check.findings ? QByteArray::number(*check.findings) : QByteArray("null")) +
                ", \"error\": " +
                (check.status == DatabaseCheck::Status::Failed ? jsonString(check.error) : QByteArray("null")) + "}";
    }
    json += "],\n \"total\": " + QByteArray::number(report.totalFindings()) + "}\n";
    return json;
}

QString sweepTextTable(const SweepReport& report) {
    QList<QStringList> lines{{QStringLiteral("数据库"), QStringLiteral("账套"), QStringLiteral("年度"),
                              QStringLiteral("状态"), QStringLiteral("发现数"), QStringLiteral("错误")}};
    for (const DatabaseCheck& check : report.checks) {
        lines << QStringList{check.target.database,
                             check.target.accountEntry(),
                             check.target.year,
                             statusName(check.status),
                             check.findings ? QString::number(*check.findings) : QStringLiteral("-"),
                             check.error.simplified()};
    }
    QList<int> widths(lines.front().size(), 0);
    for (const QStringList& line : lines)
        for (int column = 0; column < line.size(); ++column)
            widths[column] = std::max(widths[column], terminalWidth(line[column]));
    QString table;
    for (const QStringList& line : lines) {
        QString text;
        for (int column = 0; column < line.size(); ++column)
            text += column + 1 < line.size() ? padded(line[column], widths[column] + 2) : line[column];
        table += text.trimmed() + QLatin1Char('\n');
    }
    table += QStringLiteral("total findings: %1\n").arg(report.totalFindings());
    return table;
}

}  // namespace tallomar
