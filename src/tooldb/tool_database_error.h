#pragma once

#include "platform/error.h"

#include <QString>

namespace tallomar::tooldb {

// A failure of the tool database with its kind, so that each window can say
// it in the operator's words; the message says in detail what failed.
class ToolDatabaseError : public Error {
public:
    enum class Kind {
        Unreadable,         // the file cannot be opened or read: damaged, not an Access database, not readable
        NotAToolDatabase,   // a table or column the program reads is missing, or of a kind it cannot read there
        Refused,            // a change the tool database does not make: anything but a plain UPDATE of text cells
        Busy,               // another program is changing the file
        NotSaved,           // the change could not be written into the file
        Failed,             // a statement failed: its syntax, a missing table or column
        ProgramIncomplete,  // a file of the program's own that reads tool databases is not installed
    };
    // What the windows name besides the tool database.
    struct Subject {
        QString missingFile;  // ProgramIncomplete: the file that is not installed
        QString table;        // NotAToolDatabase: the table that is missing or holds `column`
        QString column;       // NotAToolDatabase: the column; empty when the table is missing
    };
    ToolDatabaseError(Kind kind, const QString& message, Subject subject = {})
        : Error(message), kind_(kind), subject_(std::move(subject)) {}
    Kind kind() const { return kind_; }
    const Subject& subject() const { return subject_; }

private:
    Kind kind_;
    Subject subject_;
};

}  // namespace tallomar::tooldb
