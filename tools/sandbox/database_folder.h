#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// The server's databases: one SQLite file each, in a private folder that
// lives as long as the server. Sessions open their own SQLite connections on
// these files (write-ahead log, so a long read never blocks another
// session's writes) and attach the other databases as statements name them.
namespace tallomar::sandbox {

class DatabaseFolder {
public:
    // Creates the folder with master and tempdb, then one database per
    // NAME.sql file in `seedFolder` (when given), each seeded with that
    // file's SQLite statements. Throws std::runtime_error naming the file
    // that failed.
    explicit DatabaseFolder(const std::filesystem::path& seedFolder = {});
    ~DatabaseFolder();
    DatabaseFolder(const DatabaseFolder&) = delete;
    DatabaseFolder& operator=(const DatabaseFolder&) = delete;

    // The database's name as created, matched without regard to case.
    std::optional<std::string> find(std::string_view name) const;
    std::vector<std::string> names() const;

    // How many other databases one connection can have attached at once
    // (SQLite attaches at most 10, as it is usually built).
    static std::size_t attachLimit();

    // Creates the database when missing, then runs SQLite statements in it.
    void seed(const std::string& name, const std::string& sqliteStatements);

    // A new connection with `name` as its main schema. The caller closes it.
    sqlite3* open(const std::string& name) const;
    // Attaches database `name` (as created) to a connection under its own
    // name; throws std::runtime_error when SQLite refuses.
    void attach(sqlite3* db, const std::string& name) const;

private:
    std::filesystem::path fileOf(const std::string& name) const;

    std::filesystem::path folder_;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> names_;  // upper-case → as created
};

// Sets up a fresh connection the way every session uses it: busy timeout,
// no syncing, and the T-SQL helper functions.
void prepareConnection(sqlite3* db);

}  // namespace tallomar::sandbox
