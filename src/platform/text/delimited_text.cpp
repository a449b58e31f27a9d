#include "platform/text/delimited_text.h"

namespace tallomar {

namespace {

QString csvField(const QString& value) {
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\n')) &&
        !value.contains(QLatin1Char('\r')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString escapedField(const QString& value) {
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
            case '\\':
                escaped += QLatin1String("\\\\");
                break;
            case '\t':
                escaped += QLatin1String("\\t");
                break;
            case '\r':
                escaped += QLatin1String("\\r");
                break;
            case '\n':
                escaped += QLatin1String("\\n");
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

QString unescapedField(const QString& field) {
    QString value;
    value.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c != QLatin1Char('\\') || i + 1 == field.size()) {
            value += c;
            continue;
        }
        switch (field.at(++i).unicode()) {
            case 't':
                value += QLatin1Char('\t');
                break;
            case 'r':
                value += QLatin1Char('\r');
                break;
            case 'n':
                value += QLatin1Char('\n');
                break;
            default:
                value += field.at(i);
        }
    }
    return value;
}

}  // namespace

QString csvRecord(const QStringList& fields) {
    QStringList quoted;
    for (const QString& field : fields) quoted << csvField(field);
    return quoted.join(QLatin1Char(',')) + QLatin1String("\r\n");
}

QString tabSeparatedLine(const QStringList& fields) {
    QStringList escaped;
    for (const QString& field : fields) escaped << escapedField(field);
    return escaped.join(QLatin1Char('\t'));
}

QStringList splitTabSeparatedLine(const QString& line) {
    QStringList fields;
    for (const QString& field : line.split(QLatin1Char('\t'))) fields << unescapedField(field);
    return fields;
}

}  // namespace tallomar
