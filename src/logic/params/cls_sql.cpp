#include "logic/params/cls_sql.h"

#include "logic/params/parameter_types.h"
#include "platform/error.h"
#include "platform/text/blanks.h"
#include "platform/text/sql_quoting.h"

#include <QRegularExpression>
#include <algorithm>

namespace tallomar {

namespace {

// Positions count from 1, and 0 means "not found", as the format's
// description counts them.
qsizetype findFrom(qsizetype from, const QString& text, const QString& what) {
    if (from > text.size()) return 0;
    const qsizetype at = text.indexOf(what, from - 1);
    return at < 0 ? 0 : at + 1;
}

// The `length` characters from position `start`; a negative length means the
// text does not have the shape the head format needs.
QString piece(const QString& text, qsizetype start, qsizetype length, const QString& fault) {
    if (length < 0) throw Error(QStringLiteral("script text: %1").arg(fault));
    return text.mid(start - 1, length);
}

int leadingNumber(const QString& text) {
    qsizetype digits = 0;
    while (digits < text.size() && text[digits].isDigit() && text[digits].unicode() < 0x80) ++digits;
    bool ok = false;
    const qlonglong value = text.left(digits).toLongLong(&ok);
    if (!ok) return digits == 0 ? 0 : std::numeric_limits<int>::max();
    return static_cast<int>(std::min<qlonglong>(value, std::numeric_limits<int>::max()));
}

bool booleanText(const QString& text, int index) {
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok)
        throw Error(QStringLiteral("script text: the required flag of @%1 is not True, False or a number: \"%2\"")
                        .arg(index)
                        .arg(text));
    return number != 0;
}

// A script name already written with its "@" is its own placeholder.
QString placeholder(const SqlParameter& parameter) {
    return parameter.name.startsWith(QLatin1Char('@')) ? parameter.name : QLatin1Char('@') + parameter.name;
}

QString placeholderValue(const SqlParameter& parameter) {
    const QString type = GetTypeName(parameter.type);
    const bool numeric = type == kIntegerType || type == kRealType;
    if (parameter.value.isEmpty()) {
        if (parameter.required)
            throw Error(QStringLiteral("parameter %1 (%2) needs a value").arg(parameter.name, parameter.displayName));
        return type == kCharacterType ? QStringLiteral("''") : QStringLiteral("NULL");
    }
    if (!numeric) return sqlText(parameter.value);
    static const QRegularExpression integer(QStringLiteral("^[+-]?\\d+$"));
    static const QRegularExpression real(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!(type == kIntegerType ? integer : real).match(parameter.value).hasMatch())
        throw Error(QStringLiteral("parameter %1 (%2): \"%3\" is not a number")
                        .arg(parameter.name, parameter.displayName, parameter.value));
    return parameter.value;
}

}  // namespace

void ClsSQL::setPsSQLText(const QString& vSQL) {
    sqlText_ = TrimBlanks(vSQL);
    ParseSQLText();
}

QString ClsSQL::CheckSQLText() const {
    if (sqlText_.isEmpty()) return QStringLiteral("未定义字符串");
    if (!sqlText_.contains(QLatin1String("@name"))) return QStringLiteral("脚本未命名");
    return QString();
}

void ClsSQL::ParseSQLText() {
    if (!CheckSQLText().isEmpty()) {
        right_ = false;
        return;
    }
    const QString& text = sqlText_;
    const qsizetype a = findFrom(1, text, QStringLiteral("@name"));
    const qsizetype b = findFrom(a + 5, text, QStringLiteral("@"));
    if (b == 0) throw Error(QStringLiteral("script text: no \"@\" after \"@name\""));
    const QString head = TrimBlanks(piece(text, a, b - 1, QString()));

    const QString fewCommas = QStringLiteral("the head \"%1\" has fewer than two commas").arg(head);
    const qsizetype c = findFrom(1, head, QStringLiteral(","));
    const qsizetype d = findFrom(c + 1, head, QStringLiteral(","));
    englishName_ = TrimBlanks(piece(head, c + 1, d - c - 1, fewCommas));
    chineseName_ = TrimBlanks(piece(head, d + 1, head.size() - d - 1, fewCommas));

    qsizetype last = a;
    for (qsizetype next = findFrom(last + 1, text, QStringLiteral("@")); next > 0;
         next = findFrom(last + 1, text, QStringLiteral("@")))
        last = next;
    const qsizetype comma = findFrom(last, text, QStringLiteral(","));
    const int count =
        leadingNumber(piece(text, last + 1, comma - last - 1, QStringLiteral("no comma after the last marker")));
    // Each declaration takes several characters: a count beyond the text's
    // length cannot be declared by it.
    if (count > text.size())
        throw Error(QStringLiteral("script text: declares %1 parameters, more than the text holds").arg(count));

    parameters_.assign(static_cast<std::size_t>(count) + 1, SqlParameter{});
    for (int i = 1; i <= count; ++i) {
        const QString marker = QStringLiteral("@%1").arg(i);
        const qsizetype start = findFrom(1, text, marker) + marker.size() + 1;
        qsizetype end = findFrom(1, text, QStringLiteral("@%1").arg(i + 1));
        if (end == 0) end = text.size() + 2;
        const QString section =
            TrimBlanks(piece(text, start, end - 2 - start + 1,
                             QStringLiteral("the declaration of %1 is missing or out of order").arg(marker))) +
            QLatin1Char(',');

        const QString fewFields = QStringLiteral("the declaration of %1 has fewer than four fields").arg(marker);
        const qsizetype k1 = findFrom(2, section, QStringLiteral(","));
        const qsizetype k2 = findFrom(k1 + 2, section, QStringLiteral(","));
        const qsizetype k3 = findFrom(k2 + 2, section, QStringLiteral(","));
        const qsizetype k4 = findFrom(k3 + 2, section, QStringLiteral(","));
        const qsizetype k5 = findFrom(k4 + 2, section, QStringLiteral(","));
        SqlParameter& parameter = parameters_[static_cast<std::size_t>(i)];
        parameter.name = TrimBlanks(piece(section, 1, k1 - 1, fewFields));
        parameter.displayName = TrimBlanks(piece(section, k1 + 1, k2 - k1 - 1, fewFields));
        parameter.type = TrimBlanks(piece(section, k2 + 1, k3 - k2 - 1, fewFields));
        parameter.required = booleanText(TrimBlanks(piece(section, k3 + 1, k4 - k3 - 1, fewFields)), i);
        parameter.value = k5 == 0 ? QString() : TrimBlanks(piece(section, k4 + 1, k5 - k4 - 1, fewFields));
    }
}

void ClsSQL::setParameterValue(int index, const QString& value) {
    if (index < 1 || static_cast<std::size_t>(index) >= parameters_.size())
        throw Error(QStringLiteral("script text: no parameter %1").arg(index));
    parameters_[static_cast<std::size_t>(index)].value = value;
}

QString ClsSQL::fillPlaceholders(const QString& body) const {
    // One pass over the body: a value put in is never searched again, and
    // longer names come first in the pattern so that no name is taken for
    // the start of another.
    std::vector<const SqlParameter*> declared;
    for (std::size_t i = 1; i < parameters_.size(); ++i)
        if (!parameters_[i].name.isEmpty()) declared.push_back(&parameters_[i]);
    if (declared.empty()) return body;
    std::stable_sort(declared.begin(), declared.end(), [](const SqlParameter* x, const SqlParameter* y) {
        return placeholder(*x).size() > placeholder(*y).size();
    });
    QStringList names;
    for (const SqlParameter* parameter : declared) names << QRegularExpression::escape(placeholder(*parameter));
    const QRegularExpression word(
        QStringLiteral("(?<![\\w@#$])(%1)(?![\\w@#$])").arg(names.join(QLatin1Char('|'))),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);

    QString filled;
    qsizetype copied = 0;
    for (auto match = word.globalMatch(body); match.hasNext();) {
        const auto found = match.next();
        const auto parameter = std::find_if(declared.begin(), declared.end(), [&](const SqlParameter* p) {
            return placeholder(*p).compare(found.captured(1), Qt::CaseInsensitive) == 0;
        });
        filled += body.mid(copied, found.capturedStart() - copied) + placeholderValue(**parameter);
        copied = found.capturedEnd();
    }
    return filled + body.mid(copied);
}

}  // namespace tallomar
