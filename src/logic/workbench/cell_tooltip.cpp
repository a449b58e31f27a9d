#include "logic/workbench/cell_tooltip.h"

namespace tallomar {

namespace {

bool isBlank(QChar character) {
    return character == u' ' || character == u'\u3000';
}

}  // namespace

QString markOuterBlanks(const QString& value) {
    QString marked = value;
    qsizetype start = 0;
    while (start < marked.size() && isBlank(marked.at(start))) marked[start++] = QChar(kBlankMark);
    for (qsizetype end = marked.size() - 1; end >= start && isBlank(marked.at(end)); --end)
        marked[end] = QChar(kBlankMark);
    return marked;
}

QString cellToolTip(const QString& value) {
    if (value.isEmpty()) return {};
    const QString marked = markOuterBlanks(value);
    // Rich text keeps a value that looks like markup as it is, and pre-wrap
    // keeps its inner blanks and line breaks.
    QString tip =
        QStringLiteral("<p style=\"white-space:pre-wrap\">") + marked.toHtmlEscaped() + QStringLiteral("</p>");
    if (marked != value)
        tip += QStringLiteral("<p>%1 表示值开头或结尾的一个空格（半角或全角）</p>").arg(QChar(kBlankMark));
    return tip;
}

}  // namespace tallomar
