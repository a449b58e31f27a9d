#pragma once

#include <QString>
#include <stdexcept>

namespace tallomar {

// The one exception type of the program: a message for the operator that
// already says what failed and why ("ZOL.mdb: not an Access database").
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

}  // namespace tallomar
