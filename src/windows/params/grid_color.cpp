#include "windows/params/grid_color.h"

#include "platform/error.h"

#include <QPalette>
#include <QWidget>

namespace tallomar {

QColor gridColor(const QString& text, const QWidget& widget) {
    const auto fault = [&] { return Error(QStringLiteral("\"%1\" is not a colour").arg(text)); };
    QString digits = text;
    if (!digits.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) throw fault();
    digits = digits.mid(2);
    if (digits.endsWith(QLatin1Char('&'))) digits.chop(1);
    bool ok = false;
    const quint32 value = digits.toUInt(&ok, 16);
    if (!ok) throw fault();
    constexpr quint32 kSystemColour = 0x80000000u;
    if ((value & kSystemColour) == 0) {
        if (value > 0xFFFFFFu) throw fault();
        return QColor(static_cast<int>(value & 0xFF), static_cast<int>(value >> 8 & 0xFF),
                      static_cast<int>(value >> 16 & 0xFF));
    }
    switch (value & ~kSystemColour) {
        case 5:
            return widget.palette().color(QPalette::Base);
        case 15:
            return widget.palette().color(QPalette::Button);
        default:
            throw fault();
    }
}

}  // namespace tallomar
