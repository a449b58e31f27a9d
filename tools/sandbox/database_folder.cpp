#include "sandbox/database_folder.h"

#include "sandbox/sql_functions.h"
#include "sandbox/tsql_lexer.h"

#include <sqlite3.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tallomar::sandbox {
namespace {

std::filesystem::path makePrivateFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tallomar-sandbox-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create the sandbox's data folder in " +
                                 std::filesystem::temp_directory_path().string());
    return pattern;
}

void check(int code, sqlite3* db, const std::string& what) {
    if (code != SQLITE_OK) throw std::runtime_error(what + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(code)));
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::size_t DatabaseFolder::attachLimit() {
    static const std::size_t databases = [] {
        sqlite3* db = nullptr;
        sqlite3_open(":memory:", &db);
        const int attached = sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, -1);
        sqlite3_close(db);
        return static_cast<std::size_t>(attached);
    }();
    return databases;
}

void prepareConnection(sqlite3* db) {
    sqlite3_busy_timeout(db, 10000);
    sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    // "text" names a column in T-SQL; SQLite would take an unknown one for a
    // string instead of refusing it.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    registerTsqlFunctions(db);
}

DatabaseFolder::DatabaseFolder(const std::filesystem::path& seedFolder) : folder_(makePrivateFolder()) {
    try {
        seed("master", "");
        seed("tempdb", "");
        if (seedFolder.empty()) return;
        std::vector<std::filesystem::path> seeds;
        for (const auto& entry : std::filesystem::directory_iterator(seedFolder))
            if (entry.is_regular_file() && entry.path().extension() == ".sql") seeds.push_back(entry.path());
        std::sort(seeds.begin(), seeds.end());
        for (const auto& file : seeds) {
            try {
                seed(file.stem().string(), readFile(file));
            } catch (const std::exception& error) {
                throw std::runtime_error("seed file " + file.string() + ": " + error.what());
            }
        }
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        throw;
    }
}

DatabaseFolder::~DatabaseFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::filesystem::path DatabaseFolder::fileOf(const std::string& name) const {
    return folder_ / (upperAscii(name) + ".db");
}

std::optional<std::string> DatabaseFolder::find(std::string_view name) const {
    std::lock_guard lock(mutex_);
    const auto found = names_.find(upperAscii(name));
    if (found == names_.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> DatabaseFolder::names() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> list;
    for (const auto& [key, name] : names_) list.push_back(name);
    return list;
}

void DatabaseFolder::seed(const std::string& name, const std::string& sqliteStatements) {
    if (name.empty() || name.find_first_of("/\\\"'\x01\x02\x03") != std::string::npos)
        throw std::runtime_error("unusable database name '" + name + "'");
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(fileOf(name).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    try {
        check(opened, db, "opening database " + name);
        prepareConnection(db);
        check(sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), db, name);
        char* message = nullptr;
        if (sqlite3_exec(db, ("BEGIN;" + sqliteStatements + "\n;COMMIT;").c_str(), nullptr, nullptr, &message) !=
            SQLITE_OK) {
            const std::string text = message ? message : "unknown error";
            sqlite3_free(message);
            throw std::runtime_error(text);
        }
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    sqlite3_close_v2(db);
    std::lock_guard lock(mutex_);
    names_.emplace(upperAscii(name), name);
}

sqlite3* DatabaseFolder::open(const std::string& name) const {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(fileOf(name).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    try {
        check(opened, db, "opening database " + name);
        prepareConnection(db);
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    return db;
}

void DatabaseFolder::attach(sqlite3* db, const std::string& name) const {
    sqlite3_stmt* attach = nullptr;
    check(sqlite3_prepare_v2(db, "ATTACH DATABASE ?1 AS ?2", -1, &attach, nullptr), db, "attaching " + name);
    sqlite3_bind_text(attach, 1, fileOf(name).c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(attach, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    const int attached = sqlite3_step(attach);
    sqlite3_finalize(attach);
    if (attached != SQLITE_DONE) check(attached, db, "attaching " + name);
    sqlite3_exec(db, ("PRAGMA \"" + name + "\".synchronous=OFF").c_str(), nullptr, nullptr, nullptr);
}

}  // namespace tallomar::sandbox
