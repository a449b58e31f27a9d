#include "logic/login/login_logic.h"

#include "logic/failure_text.h"
#include "logic/login/server_connections.h"
#include "platform/text/blanks.h"
#include "platform/odbc/odbc.h"
#include "tooldb/tool_access.h"

namespace tallomar {

namespace {

const QString kNoAccountSets = QStringLiteral("没有可供导入的帐套，请先新建帐套！");
const QString kNoYears = QStringLiteral("没有可供选择的年度...");
const QString kLoginRejected = QStringLiteral("输入数据库用户名或密码有误,请重新输入！");
const QString kConnecting = QStringLiteral("正在连接服务器…");

tooldb::Recordset offeredEditions(const tooldb::ToolDatabase& tool) {
    // An unreadable Version table offers nothing, like an empty one: the
    // edition list then keeps the entries it has.
    try {
        tooldb::Recordset editions = OpenRecordset(
            QStringLiteral("select cItem from Version where iGrade=1 and bsign=-1 order by ID"), tool);
        if (!editions.rows.empty()) return editions;
        return OpenRecordset(
            QStringLiteral("select cItem from Version where iGrade>1 and bsign=-1 order by ID"), tool);
    } catch (const Error&) {
        return {};
    }
}

int columnNamed(const odbc::Statement& statement, const QString& name) {
    for (int column = 0; column < statement.columnCount(); ++column)
        if (statement.columnName(column).compare(name, Qt::CaseInsensitive) == 0) return column;
    throw Error(QStringLiteral("查询结果缺少列 %1").arg(name));
}

// Runs `sql` on the system connection and gives the text of the named
// columns of every row.
QList<QStringList> systemRows(odbc::Connection* system, const QString& sql, const QStringList& names) {
    if (!system) throw Error(QStringLiteral("可能由于服务器断开或设置不正确,未能连接服务器,请查看！"));
    odbc::Statement statement(*system);
    statement.execute(sql);
    QList<int> columns;
    for (const QString& name : names) columns << columnNamed(statement, name);
    QList<QStringList> rows;
    while (statement.fetch()) {
        // Values are read in ascending column order, as the driver streams them.
        QList<std::pair<int, int>> order;
        for (int i = 0; i < columns.size(); ++i) order << std::pair{columns[i], i};
        std::sort(order.begin(), order.end());
        QStringList row(names.size());
        for (const auto& [column, slot] : order) row[slot] = statement.text(column).value_or(QString());
        rows << row;
    }
    return rows;
}

}  // namespace

LoginLogic::LoginLogic(Session& session, Prompts& prompts) : session_(session), prompts_(prompts) {}

QString LoginLogic::LoadLoginLists() {
    return finishLoginLists(OpenSystemConnection(startLoginLists()));
}

odbc::ServerLogin LoginLogic::startLoginLists() {
    // While the account-set query is empty the edition handler stays inert,
    // so the selections below do not start a second load.
    session_.gAccountListSQL.clear();

    const tooldb::Recordset editions = offeredEditions(*session_.cnTool);
    if (!editions.rows.empty()) {
        screen_.soft.clear();
        for (const auto& row : editions.rows) screen_.soft.items << row.front().toString();
    }
    if (!screen_.soft.items.isEmpty()) selectSoft(0);
    if (ComboContains(screen_.soft.items, session_.gSoft)) selectSoft(int(screen_.soft.items.indexOf(session_.gSoft)));
    SelectEdition(screen_.soft.text());

    screen_.serverText = session_.gServerName;
    screen_.passwordButtonVisible = false;

    // The previous connection goes before the new one is tried, so a failed
    // attempt leaves none behind.
    session_.cnSystem.reset();
    screen_.connecting = true;
    screen_.report = kConnecting;
    return systemLogin(session_);
}

QString LoginLogic::finishLoginLists(SystemConnection attempt) {
    screen_.connecting = false;
    session_.cnSystem = std::move(attempt.connection);
    connectedSystemDatabase_ = session_.gSystemDatabase;
    const QString failure = attempt.failure;
    if (!failure.isEmpty()) {
        screen_.report = failure;
        screen_.passwordButtonVisible = true;
        screen_.soft.clear();
        screen_.account.clear();
        screen_.year.clear();
        session_.gPassWord.clear();
        return failure;
    }
    LoadAccountSets();
    return {};
}

void LoginLogic::SelectEdition(const QString& name) {
    const auto rules = EditionRulesFor(EditionCode(name));
    if (!rules) return;
    session_.gSystemDatabase = rules->systemDatabase;
    session_.gAccountListSQL = rules->accountListSql;
    screen_.yearVisible = rules->hasYears;
}

void LoginLogic::LoadAccountSets() {
    if (session_.gAccountListSQL.isEmpty()) {
        screen_.account.clear();
        screen_.report = QStringLiteral("无法识别版本“%1”，不能列出帐套").arg(screen_.soft.text());
        return;
    }
    if (!ensureSystemConnection()) return;

    QList<QStringList> rows;
    try {
        rows = systemRows(session_.cnSystem.get(), session_.gAccountListSQL, {QStringLiteral("cAcc_ID"), QStringLiteral("cAcc_Name")});
    } catch (const Error& error) {
        showListFailure(error.message());
        return;
    }
    screen_.account.clear();
    if (rows.isEmpty()) {
        screen_.report = kNoAccountSets;
        return;
    }
    for (const QStringList& row : rows)
        screen_.account.items << QStringLiteral("[%1]%2").arg(row[0], row[1]);
    const qsizetype saved = ComboContains(screen_.account.items, session_.gZTName)
                                ? screen_.account.items.indexOf(session_.gZTName) : 0;
    selectAccount(int(saved));
    screen_.report.clear();
}

void LoginLogic::LoadYears() {
    const QString sql =
        QStringLiteral("Select DISTINCT iYear From UA_Account_sub Where cAcc_ID='%1' and iYear<>'9999' Order by iYear")
            .arg(sqlTextValue(AccountIdOf(screen_.account.text())));
    screen_.year.clear();
    QList<QStringList> rows;
    try {
        rows = systemRows(session_.cnSystem.get(), sql, {QStringLiteral("iYear")});
    } catch (const Error& error) {
        showListFailure(error.message());
        return;
    }
    if (rows.isEmpty()) {
        prompts_.message(MessageIcon::None, kNoYears);
        screen_.okEnabled = false;
    } else {
        for (const QStringList& row : rows) screen_.year.items << row[0];
        selectYear(0);
        screen_.okEnabled = true;
    }
    if (ComboContains(screen_.year.items, session_.gYear)) selectYear(int(screen_.year.items.indexOf(session_.gYear)));
}

void LoginLogic::selectSoft(int index) {
    screen_.soft.current = index;
    cboSoftSelected();
}

void LoginLogic::selectAccount(int index) {
    screen_.account.current = index;
    cboZTSelected();
}

void LoginLogic::selectYear(int index) { screen_.year.current = index; }

void LoginLogic::cboSoftSelected() {
    if (session_.gAccountListSQL.isEmpty()) return;
    SelectEdition(screen_.soft.text());
    LoadAccountSets();
}

void LoginLogic::cboZTSelected() {
    if (session_.gSystemDatabase == QLatin1String("QVSystem") && !screen_.account.text().isEmpty()) LoadYears();
}

bool LoginLogic::ensureSystemConnection() {
    // An edition of another family lists its account sets from another system
    // database (master or QVSystem): reconnect before listing.
    if (session_.cnSystem && session_.gSystemDatabase == connectedSystemDatabase_) return true;
    const QString failure = ConnectSystemDatabase(session_);
    connectedSystemDatabase_ = session_.gSystemDatabase;
    if (failure.isEmpty()) return true;
    screen_.report = failure;
    screen_.passwordButtonVisible = true;
    screen_.account.clear();
    screen_.year.clear();
    return false;
}

void LoginLogic::showListFailure(const QString& description) {
    screen_.account.clear();
    screen_.year.clear();
    screen_.report = description;
}

void LoginLogic::txtServerNameKeyPress(QChar key) {
    session_.gPassWord.clear();
    const QString name = TrimBlanks(screen_.serverText);
    if (key == QLatin1Char('\r') && name != session_.gServerName) {
        session_.gServerName = name;
        LoadLoginLists();
    }
}

void LoginLogic::txtServerNameLostFocus() {
    session_.gPassWord.clear();
    const QString name = TrimBlanks(screen_.serverText);
    if (name != session_.gServerName) {
        session_.gServerName = name;
        LoadLoginLists();
    }
}

void LoginLogic::cmdPasswordClick() {
    session_.gPassWord = prompts_.askSecret(QStringLiteral("请输入SA口令"))
                    .value_or(QString());
    LoadLoginLists();
}

LoginLogic::LoginOutcome LoginLogic::cmdOKClick() {
    session_.gSoft = screen_.soft.text();
    if (!TestLogin(session_, screen_.serverText)) {
        prompts_.message(MessageIcon::Question, kLoginRejected);
        return LoginOutcome::Stayed;
    }
    if (ConnectAccountDatabase(session_, screen_.account.text(), screen_.year.text(), prompts_) ==
        AccountConnection::Refused)
        return LoginOutcome::Stayed;
    saveSettings();
    return LoginOutcome::LoggedIn;
}

void LoginLogic::saveSettings() {
    const auto orBlank = [](const QString& value) { return value.isEmpty() ? QStringLiteral(" ") : value; };
    const QList<std::pair<QString, QString>> settings =
        screen_.saveSettings
            ? QList<std::pair<QString, QString>>{{QStringLiteral("ServerName"), screen_.serverText},
                                                  {QStringLiteral("UserName"), session_.gUserName},
                                                  {QStringLiteral("PassWord"), orBlank(session_.gPassWord)},
                                                  {QStringLiteral("ZTName"), screen_.account.text()},
                                                  {QStringLiteral("Year"), orBlank(screen_.year.text())},
                                                  {QStringLiteral("Soft"), screen_.soft.text()}}
            : QList<std::pair<QString, QString>>{{QStringLiteral("ServerName"), QStringLiteral("(local)")},
                                                  {QStringLiteral("UserName"), QStringLiteral("sa")},
                                                  {QStringLiteral("PassWord"), QStringLiteral(" ")},
                                                  {QStringLiteral("ZTName"), QStringLiteral(" ")},
                                                  {QStringLiteral("Year"), QStringLiteral(" ")},
                                                  {QStringLiteral("Soft"), QStringLiteral(" ")}};
    try {
        for (const auto& [name, value] : settings)
            ExecuteToolSQL(*session_.cnTool, QStringLiteral("Update ZOL set cValue='%1' where cName='%2'")
                               .arg(sqlTextValue(value), name));
    } catch (const Error& error) {
        // The login itself is good: the operator goes on to the main window.
        prompts_.message(MessageIcon::Exclamation, QStringLiteral("登录继续进行，但设置未能保存：%1")
                                                       .arg(operatorText(error, session_.cnTool->path())));
    }
}

}  // namespace tallomar
