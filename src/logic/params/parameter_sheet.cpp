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

bool isDigit(char16_t code) {
    return code >= u'0' && code <= u'9';
}

// Besides digits, the characters numbers are written with: signs, the
// decimal point, the exponent and the digit-group comma.
const QString kNumberPunctuation = QStringLiteral("+-.eE,");

}  // namespace

int parameterCount(const QString& text) {
    static const QRegularExpression leadingNumber(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?)"));
    const auto match = leadingNumber.match(text);
    if (!match.hasMatch()) return 0;
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(match.captured(1).toDouble());
    return static_cast<int>(std::clamp(rounded, 0.0, static_cast<double>(kMostParameters)));
}

QString parameterKey(int parameter, int item) {
    return QStringLiteral("%1.%2").arg(parameter).arg(item);
}

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

bool keyAccepted(char16_t code, const QString& typeWord, const QString& text, int selectionStart, int selectionLength) {
    if (typeWord != kIntegerType && typeWord != kRealType) return true;
    if (code == kEnter || code == kBackspace) return true;
    if (!isDigit(code) && !kNumberPunctuation.contains(QChar(code))) return false;
    // A "0" typed before the digits of an integer would give it a leading zero.
    const QString after = text.mid(selectionStart + selectionLength);
    return !(typeWord == kIntegerType && code == u'0' && selectionStart == 0 && !after.isEmpty() &&
             isDigit(after.front().unicode()));
}

bool completeAtLoad(const std::vector<LoadedRow>& rows) {
    return std::none_of(rows.begin(), rows.end(),
                        [](const LoadedRow& row) { return row.allowEmpty == kRequired && row.value.isEmpty(); });
}

bool completeAfterEdit(const QStringList& values) {
    return std::none_of(values.begin(), values.end(), [](const QString& value) { return TrimBlanks(value).isEmpty(); });
}

}  // namespace tallomar::parameter_sheet
