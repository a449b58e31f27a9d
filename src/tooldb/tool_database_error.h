#pragma once

#include "platform/error.h"

namespace tallomar::tooldb {

// A failure of the tool database with its kind, so that each window can say
// it in the operator's words; the message says in detail what failed.
class ToolDatabaseError : public Error {
public:
    enum class Kind {
        Unreadable,  // the file cannot be opened or read: damaged, not an Access database, not readable
        Refused,     // a change the tool database does not make: anything but a plain UPDATE of text cells
        Busy,        // another program is changing the file
        NotSaved,    // the change could not be written into the file
        Failed,      // a statement failed: its syntax, a missing table or column
        ProgramIncomplete,  // a file of the program's own that reads tool databases is not installed
    };
    // `missingFile`: for ProgramIncomplete, the file that is not installed.
    ToolDatabaseError(Kind kind, const QString& message, const QString& missingFile = {})
        : Error(message), kind_(kind), missingFile_(missingFile) {}
    Kind kind() const { return kind_; }
    const QString& missingFile() const { return missingFile_; }

private:
    Kind kind_;
    QString missingFile_;
};

}  // namespace tallomar::tooldb
