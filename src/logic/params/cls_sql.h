#pragma once

#include <QString>
#include <vector>

namespace tallomar {

// One parameter declared in the head of a script text.
struct SqlParameter {
    bool required = false;  // a value must be given
    QString name;           // name used in the script, e.g. "year" for "@year"
    QString displayName;    // name shown to the operator
    QString type;           // type code or word, as in a configuration file
    QString value;
};

// A parameterised script text whose head describes the script and declares
// its parameters in-line:
//   @name,<englishName>,<chineseName><end>@1,<name>,<display>,<type>,<required>[,<value>]<end>@2,...
// The names in the script are written without "@": the last "@" of the text
// must be the last declaration's marker.
// Positions and searches follow the head's format exactly: the head ends one
// character before the next "@", each declaration one character before the
// next marker, and markers are found by their first occurrence ("@1" also
// matches the start of "@10"), so declarations must come in ascending order.
class ClsSQL {
public:
    // The script's two names: the second and the third field of the head.
    const QString& englishName() const { return englishName_; }
    void setEnglishName(const QString& name) { englishName_ = name; }
    const QString& chineseName() const { return chineseName_; }
    void setChineseName(const QString& name) { chineseName_ = name; }
    // Cleared when an assigned text is empty or has no "@name"; only the
    // caller sets it.
    bool isRight() const { return right_; }
    void setRight(bool right) { right_ = right; }

    // Stores `vSQL` without leading and trailing blanks and takes its head
    // apart. An empty text or one without "@name" only clears isRight(). A text
    // that does not follow the format throws tallomar::Error; the text is
    // stored and the names and records set before the fault keep their values.
    void setPsSQLText(const QString& vSQL);

    const QString& sqlText() const { return sqlText_; }
    // Indices 0 to the declared count; index 0 stays empty.
    const std::vector<SqlParameter>& parameters() const { return parameters_; }
    // Sets the value of parameter `index` (1 to the declared count).
    void setParameterValue(int index, const QString& value);

    // `body` with each declared parameter's placeholder replaced by its
    // value. The placeholder is "@" and the name in the script ("year" is
    // filled in at "@year"; a name written with its "@" stands as it is),
    // found as a whole word without regard to letter case. Values go in as
    // written for numbers (types 整数 and 实数), for every other type as an
    // SQL text literal ('...' with apostrophes doubled); an empty value that
    // may stay empty becomes NULL, or '' for a character value. Throws
    // tallomar::Error when a required value is empty or a numeric value is
    // not a number.
    QString fillPlaceholders(const QString& body) const;

private:
    QString CheckSQLText() const;
    void ParseSQLText();

    QString englishName_;
    QString chineseName_;
    bool right_ = false;
    std::vector<SqlParameter> parameters_;
    QString sqlText_;
};

}  // namespace tallomar
