#pragma once

#include <QString>

namespace tallomar {

// Removes leading and trailing blanks (space characters only): tabs and line
// breaks around a value are part of it, as the settings and files the program
// reads expect.
inline QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' ')) ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' ')) --last;
    return text.mid(first, last - first);
}

}  // namespace tallomar
