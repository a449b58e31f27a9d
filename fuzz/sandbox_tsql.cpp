// The sandbox server turns whatever T-SQL a client sends into SQLite
// statements: any text must either translate or be refused with a
// TsqlError, the error the client is sent; anything else would drop the
// connection instead of answering. Translated statements then get their
// database names bound, as the session does before running them.
#include "sandbox/tsql_translator.h"
#include "sandbox/utf16.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using tallomar::sandbox::TsqlStatement;

void bindEvery(const std::vector<TsqlStatement>& statements) {
    for (const TsqlStatement& statement : statements) {
        tallomar::sandbox::bindDatabases(statement.sql, "master");
        tallomar::sandbox::bindDatabases(statement.countSql, "tempdb");
        bindEvery(statement.body);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The server hands the translator UTF-8 decoded from the client's UTF-16.
    const std::string batchText = tallomar::sandbox::utf16ToUtf8(
        tallomar::sandbox::utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size)));
    tallomar::sandbox::TranslationContext context;
    context.databaseExists = [](std::string_view name) {
        return name == "master" || name == "tempdb" || name == "demo";
    };
    context.sessionId = 7;
    try {
        bindEvery(tallomar::sandbox::translateBatch(batchText, context));
    } catch (const tallomar::sandbox::TsqlError&) {
    }
    return 0;
}
