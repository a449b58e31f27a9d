#include "logic/params/parameter_sheet.h"

#include "logic/params/ini_values.h"
#include "logic/params/parameter_types.h"
#include "platform/text/blanks.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace tallomar::parameter_sheet {

namespace {

constexpr char16_t kEnter = 13;
constexpr char16_t kBackspace = 8;
constexpr int kMostParameters = 32767;

bool isDigit(char16_t code) { return code >= u'0' && code <= u'9'; }

}  // namespace

int parameterCount(const QString& text) {
    static const QRegularExpression leadingNumber(
        QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?)"));
    const auto match = leadingNumber.match(text);
    if (!match.hasMatch()) return 0;
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(match.captured(1).toDouble());
    return static_cast<int>(std::clamp(rounded, 0.0, static_cast<double>(kMostParameters)));
}

QString parameterKey(int parameter, int item) { return QStringLiteral("%1.%2").arg(parameter).arg(item); }

QStringList parameterRows(const QString& configPath, int count) {
    QStringList rows;
    const auto read = [&](int k, int item) {
        return ReadIniValue(QStringLiteral("Var"), parameterKey(k, item), QString(), configPath);
    };
    for (int k = 1; k <= count; ++k) {
        rows << QStringList{read(k, 1), read(k, 2), GetTypeName(read(k, 3)),
                            read(k, 4) == QLatin1String("1") ? kRequired : kOptional, read(k, 5)}
                    .join(QLatin1Char('\t'));
    }
    return rows;
}

bool keyAccepted(char16_t code, const QString& typeWord, const QString& text, int selectionStart,
                 int selectionLength) {
    const bool integer = typeWord == kIntegerType;
    const bool real = typeWord == kRealType;
    if (integer && code == u'0' && selectionStart == 0) return false;
    if (!integer && !real) return true;
    if (isDigit(code) || code == kEnter || code == kBackspace) return true;
    const QString result = text.left(selectionStart) + QChar(code) + text.mid(selectionStart + selectionLength);
    if (code == u'-') return selectionStart == 0 && result.count(QLatin1Char('-')) == 1;
    if (code == u'.') return real && result.count(QLatin1Char('.')) == 1;
    return false;
}

bool completeAtLoad(const std::vector<LoadedRow>& rows) {
    return std::none_of(rows.begin(), rows.end(), [](const LoadedRow& row) {
        return row.allowEmpty == kRequired && row.value.isEmpty();
    });
}

bool completeAfterEdit(const QStringList& values) {
    return std::none_of(values.begin(), values.end(),
                        [](const QString& value) { return TrimBlanks(value).isEmpty(); });
}

}  // namespace tallomar::parameter_sheet
