#pragma once

#include "platform/error.h"

#include <QString>

namespace tallomar {

// What the windows show of a failure: a tool-database failure in the
// operator's words by its kind ("工具数据库正被另一个程序修改，请稍后再试"),
// naming the file where that helps (the tool database, or the program's own
// file that is not installed); any other failure its own message. The
// command-line programs print the messages themselves.
QString operatorText(const Error& failure, const QString& toolDatabasePath);

// Runs `work` on the tool database at `toolDatabasePath`; a failure leaves
// it as an Error in the operator's words.
template <typename Work>
auto inOperatorWords(const QString& toolDatabasePath, Work&& work) {
    try {
        return work();
    } catch (const Error& failure) {
        throw Error(operatorText(failure, toolDatabasePath));
    }
}

}  // namespace tallomar
