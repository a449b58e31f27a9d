#include "sandbox/sql_functions.h"

#include <sqlite3.h>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace tallomar::sandbox {
namespace {

// A text as a number the way SQL Server converts it for arithmetic: blanks
// around it allowed, nothing else.
bool readNumber(sqlite3_value* value, sqlite3_int64& integer, double& real, bool& isInteger) {
    std::string text(reinterpret_cast<const char*>(sqlite3_value_text(value)));
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    if (first == std::string::npos) return false;
    text = text.substr(first, last - first + 1);
    char* end = nullptr;
    errno = 0;
    integer = std::strtoll(text.c_str(), &end, 10);
    if (*end == '\0' && errno == 0) {
        isInteger = true;
        return true;
    }
    errno = 0;
    real = std::strtod(text.c_str(), &end);
    isInteger = false;
    return *end == '\0' && errno == 0;
}

void add(sqlite3_context* context, int, sqlite3_value** arguments) {
    sqlite3_value* left = arguments[0];
    sqlite3_value* right = arguments[1];
    const int leftType = sqlite3_value_type(left);
    const int rightType = sqlite3_value_type(right);
    if (leftType == SQLITE_NULL || rightType == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    if (leftType == SQLITE_TEXT && rightType == SQLITE_TEXT) {
        std::string joined(reinterpret_cast<const char*>(sqlite3_value_text(left)));
        joined += reinterpret_cast<const char*>(sqlite3_value_text(right));
        sqlite3_result_text(context, joined.c_str(), static_cast<int>(joined.size()), SQLITE_TRANSIENT);
        return;
    }
    sqlite3_int64 integers[2] = {0, 0};
    double reals[2] = {0, 0};
    bool isInteger[2] = {true, true};
    sqlite3_value* operands[2] = {left, right};
    for (int k = 0; k < 2; ++k) {
        const int type = sqlite3_value_type(operands[k]);
        if (type == SQLITE_INTEGER) {
            integers[k] = sqlite3_value_int64(operands[k]);
        } else if (type == SQLITE_FLOAT) {
            reals[k] = sqlite3_value_double(operands[k]);
            isInteger[k] = false;
        } else if (!readNumber(operands[k], integers[k], reals[k], isInteger[k]) ||
                   // text meets an int as an int: '1.5' + 1 is refused
                   (!isInteger[k] && sqlite3_value_type(operands[1 - k]) == SQLITE_INTEGER)) {
            const std::string message = std::string("Conversion failed when converting the nvarchar value '") +
                                        reinterpret_cast<const char*>(sqlite3_value_text(operands[k])) +
                                        "' to data type int.";
            sqlite3_result_error(context, message.c_str(), -1);
            return;
        }
    }
    if (isInteger[0] && isInteger[1]) {
        sqlite3_int64 sum = 0;
        if (__builtin_add_overflow(integers[0], integers[1], &sum)) {
            sqlite3_result_error(context, "Arithmetic overflow error converting expression to data type bigint.", -1);
            return;
        }
        sqlite3_result_int64(context, sum);
        return;
    }
    const double a = isInteger[0] ? static_cast<double>(integers[0]) : reals[0];
    const double b = isInteger[1] ? static_cast<double>(integers[1]) : reals[1];
    sqlite3_result_double(context, a + b);
}

// The right operand of / and %, passed through unless it is zero.
void divisor(sqlite3_context* context, int, sqlite3_value** arguments) {
    sqlite3_value* value = arguments[0];
    bool zero = false;
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
            zero = sqlite3_value_int64(value) == 0;
            break;
        case SQLITE_FLOAT:
            zero = sqlite3_value_double(value) == 0.0;
            break;
        case SQLITE_TEXT: {
            sqlite3_int64 integer = 0;
            double real = 0;
            bool isInteger = true;
            zero = readNumber(value, integer, real, isInteger) && (isInteger ? integer == 0 : real == 0.0);
            break;
        }
        default:
            break;
    }
    if (zero)
        sqlite3_result_error(context, "Divide by zero error encountered.", -1);
    else
        sqlite3_result_value(context, value);
}

}  // namespace

void registerTsqlFunctions(sqlite3* db) {
    sqlite3_create_function(db, "tsql_add", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, add, nullptr, nullptr);
    sqlite3_create_function(db, "tsql_divisor", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, divisor, nullptr,
                            nullptr);
}

}  // namespace tallomar::sandbox
