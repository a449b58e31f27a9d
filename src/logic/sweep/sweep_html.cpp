#include "logic/sweep/sweep_html.h"

#include "platform/error.h"

#include <QSaveFile>
#include <algorithm>

namespace tallomar {

namespace {

const QString kStyle = QStringLiteral(
    "body{font-family:'Noto Sans CJK SC','WenQuanYi Zen Hei','Microsoft YaHei',sans-serif;margin:24px;color:#222}"
    "table{border-collapse:collapse;margin:8px 0 20px}"
    "th,td{border:1px solid #bbb;padding:3px 8px;text-align:left;vertical-align:top}"
    "th{background:#e8eef6}td.n{text-align:right}"
    // A finding is often a blank too many: the findings keep every blank.
    "table.s td{white-space:nowrap}table.s td.e{white-space:normal}table.f td{white-space:pre}"
    ".ok{color:#2a7a2a}.findings{color:#b35c00}.failed{color:#c00000}.cancelled{color:#777}"
    "h2{margin-top:28px;font-size:1.1em}");

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString cell(const QString& text, const QString& cssClass = QString()) {
    return (cssClass.isEmpty() ? QStringLiteral("<td>") : QStringLiteral("<td class=\"%1\">").arg(cssClass)) +
           escaped(text) + QStringLiteral("</td>");
}

// One horizontal bar per database, long in proportion to its findings.
QString barChart(const QList<DatabaseCheck>& checks) {
    constexpr int kLabelWidth = 170, kBarWidth = 420, kRowHeight = 24;
    qint64 most = 1;
    for (const DatabaseCheck& check : checks) most = std::max(most, check.findings.value_or(0));
    const int height = int(checks.size()) * kRowHeight + 10;
    QString svg = QStringLiteral(
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
                      "role=\"img\" aria-label=\"每个数据库的发现数\" font-size=\"13\">")
                      .arg(kLabelWidth + kBarWidth + 90)
                      .arg(height);
    for (int i = 0; i < checks.size(); ++i) {
        const DatabaseCheck& check = checks[i];
        const int y = i * kRowHeight + 5;
        const qint64 findings = check.findings.value_or(0);
        const int length = int(findings * kBarWidth / most);
        svg += QStringLiteral("<text x=\"0\" y=\"%1\">%2</text>").arg(y + 16).arg(escaped(check.target.database));
        svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"16\" fill=\"#d9822b\"/>")
                   .arg(kLabelWidth)
                   .arg(y + 3)
                   .arg(length);
        const QString label = check.findings ? QString::number(findings) : statusCaption(check.status);
        svg += QStringLiteral("<text x=\"%1\" y=\"%2\" class=\"%3\" fill=\"currentColor\">%4</text>")
                   .arg(kLabelWidth + length + 6)
                   .arg(y + 16)
                   .arg(statusName(check.status), escaped(label));
    }
    return svg + QStringLiteral("</svg>");
}

QString findingsTable(const DatabaseCheck& check) {
    QString html = QStringLiteral("<table class=\"f\"><tr>");
    for (const QString& column : check.columns)
        html += QStringLiteral("<th>") + escaped(column) + QStringLiteral("</th>");
    html += QStringLiteral("</tr>");
    for (const QStringList& row : check.rows) {
        html += QStringLiteral("<tr>");
        for (const QString& value : row) html += cell(value);
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    if (check.findings && *check.findings > check.rows.size())
        html += QStringLiteral("<p>只列出前 %1 条，共 %2 条。</p>").arg(check.rows.size()).arg(*check.findings);
    return html;
}

}  // namespace

QString sweepHtml(const SweepReport& report) {
    QString html = QStringLiteral(
                       "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
                       "<title>全部账套检查 - %1</title><style>%2</style></head><body>\n")
                       .arg(escaped(report.server), kStyle);
    html += QStringLiteral("<h1>全部账套检查</h1>\n<p>服务器：%1<br>工具：%2<br>时间：%3<br>发现总数：%4</p>\n")
                .arg(escaped(report.server), escaped(report.package),
                     escaped(report.started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))))
                .arg(report.totalFindings());
    html += QStringLiteral(
        "<table "
        "class=\"s\"><tr><th>数据库</th><th>账套</th><th>年度</th><th>状态</th><th>发现数</th><th>错误</th></tr>\n");
    for (const DatabaseCheck& check : report.checks) {
        html += QStringLiteral("<tr>") + cell(check.target.database) + cell(check.target.accountEntry()) +
                cell(check.target.year) + cell(statusCaption(check.status), statusName(check.status)) +
                cell(check.findings ? QString::number(*check.findings) : QStringLiteral("-"), QStringLiteral("n")) +
                cell(check.error, QStringLiteral("e")) + QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</table>\n<h2>每个数据库的发现数</h2>\n") + barChart(report.checks) + QLatin1Char('\n');
    for (const DatabaseCheck& check : report.checks) {
        if (check.status != DatabaseCheck::Status::Findings) continue;
        html += QStringLiteral("<h2>%1 %2</h2>\n")
                    .arg(escaped(check.target.database), escaped(check.target.accountEntry()));
        html += findingsTable(check) + QLatin1Char('\n');
    }
    return html + QStringLiteral("</body></html>\n");
}

void writeSweepHtml(const SweepReport& report, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(sweepHtml(report).toUtf8()) < 0 || !file.commit())
        throw Error(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

}  // namespace tallomar
