#pragma once

#include "platform/odbc/odbc.h"
#include "tooldb/tool_database.h"

#include <QString>
#include <memory>

namespace tallomar {

// Everything one piece of work needs to know about where it acts: the tool
// package and its database, the server and login, the edition, account set
// and year chosen, and the two server connections. Start-up fills the
// package and the saved settings, the login window the rest; the main
// window then owns the session, and every run, the viewer and the command
// line take it as a parameter. Members keep the names the login's outcome
// has always had (gToolFolder, cnAccount, ...).
struct Session {
    // The tool package.
    QString gToolFolder;  // the package folder: scripts and pictures live here
    QString gToolDbPath;  // gToolFolder + "/ZOL.mdb"
    QString gToolName;    // the tool's title, never changed after start-up
    // Shared with the problem-description viewer, which may stay open after
    // the main window has closed.
    std::shared_ptr<tooldb::ToolDatabase> cnTool;

    // The login. The password lives only here, in memory.
    QString gServerName;
    QString gUserName;
    QString gPassWord;
    QString gSoft;            // the software edition's name
    QString gZTName;          // the account-set id
    QString gYear;            // the saved year until the login is confirmed, then the year chosen
    QString accountSetEntry;  // the login's entry for the account set chosen: "[" + id + "]" + name

    // Derived from the edition, account set and year.
    QString gSystemDatabase;
    QString gAccountListSQL;
    QString gDatabaseName;  // the account-set database every script runs in

    // The server's system database (login lists only) and the chosen
    // account-set database (every script runs there); null when absent.
    std::unique_ptr<odbc::Connection> cnSystem;
    std::unique_ptr<odbc::Connection> cnAccount;

    // The package (its tool database shared) and the login without the
    // account set, the year or any server connection: where work on another
    // account-set database starts.
    Session packageAndLogin() const {
        Session copy;
        copy.gToolFolder = gToolFolder;
        copy.gToolDbPath = gToolDbPath;
        copy.gToolName = gToolName;
        copy.cnTool = cnTool;
        copy.gServerName = gServerName;
        copy.gUserName = gUserName;
        copy.gPassWord = gPassWord;
        copy.gSoft = gSoft;
        return copy;
    }
};

}  // namespace tallomar
