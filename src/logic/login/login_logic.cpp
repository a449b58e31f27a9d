#include "logic/login/login_logic.h"

#include "logic/failure_text.h"
#include "logic/login/server_connections.h"
#include "logic/login/system_lists.h"
#include "platform/odbc/odbc.h"
#include "platform/text/blanks.h"
#include "platform/text/sql_quoting.h"
#include "tooldb/tool_access.h"

namespace tallomar {

namespace {

const QString kNoAccountSets = QStringLiteral("没有可供导入的帐套，请先新建帐套！");
const QString kNoYears = QStringLiteral("没有可供选择的年度...");
const QString kLoginRejected = QStringLiteral("输入数据库用户名或密码有误,请重新输入！");
const QString kConnecting = QStringLiteral("正在连接服务器…");

// What the first load waits for: the saved password from the credential
// store, then the system connection made with it.
struct FirstConnection {
    StoredPasswordLookup stored;
    ServerConnection attempt;
};

// What the confirmed login waits for: the account-set connection, then the
// password kept in or removed from the credential store.
struct AccountStep {
    ServerConnection attempt;
    StoreChangeFailure store;
};

tooldb::Recordset offeredEditions(const tooldb::ToolDatabase& tool) {
    // An unreadable Version table offers nothing, like an empty one: the
    // edition list then keeps the entries it has.
    try {
        tooldb::Recordset editions =
            OpenRecordset(QStringLiteral("select cItem from Version where iGrade=1 and bsign=-1 order by ID"), tool);
        if (!editions.rows.empty()) return editions;
        return OpenRecordset(QStringLiteral("select cItem from Version where iGrade>1 and bsign=-1 order by ID"), tool);
    } catch (const Error&) {
        return {};
    }
}

}  // namespace

LoginLogic::LoginLogic(Session& session, Prompts& prompts)
    : session_(session),
      prompts_(prompts),
      savedLogin_{session.gServerName, session.gUserName},
      packageHeldPassword_(!session.gPassWord.isEmpty()),
      storeToBeAsked_(!packageHeldPassword_) {}

std::optional<LoginLogic::BackgroundStep> LoginLogic::takeBackgroundStep() {
    return std::exchange(step_, std::nullopt);
}

template <typename Outcome>
void LoginLogic::inBackground(std::function<Outcome()> work, std::function<void(Outcome)> then) {
    // The outcome passes from the work's thread to `then` through this
    // holder, which the work keeps alive when the window is gone.
    auto outcome = std::make_shared<std::optional<Outcome>>();
    const QString report = screen_.report;
    screen_.connecting = true;
    screen_.report = kConnecting;
    step_ = BackgroundStep{[work = std::move(work), outcome] { outcome->emplace(work()); },
                           [this, then = std::move(then), outcome, report] {
                               screen_.connecting = false;
                               screen_.report = report;
                               then(std::move(**outcome));
                           }};
}

void LoginLogic::LoadLoginLists() {
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
    connectedSystemDatabase_ = session_.gSystemDatabase;
    const odbc::ServerLogin login = systemLogin(session_);
    if (!std::exchange(storeToBeAsked_, false)) {
        inBackground<ServerConnection>([login] { return OpenServerConnection(login); },
                                       [this](ServerConnection attempt) { finishLoginLists(std::move(attempt)); });
        return;
    }
    inBackground<FirstConnection>(
        [login, key = savedLogin_] {
            FirstConnection first{lookUpStoredPassword(key), {}};
            odbc::ServerLogin stored = login;
            if (first.stored.password) stored.password = *first.stored.password;
            first.attempt = OpenServerConnection(stored);
            return first;
        },
        [this](FirstConnection first) {
            if (first.stored.password) session_.gPassWord = *first.stored.password;
            const bool connected = first.attempt.connection != nullptr;
            finishLoginLists(std::move(first.attempt));
            // Only a login that needs the password it could not find is told.
            if (!first.stored.storeFailure.isEmpty() && !connected) tellStoreUnavailable(first.stored.storeFailure);
        });
}

void LoginLogic::finishLoginLists(ServerConnection attempt) {
    session_.cnSystem = std::move(attempt.connection);
    if (!session_.cnSystem) {
        screen_.report = attempt.failure;
        screen_.passwordButtonVisible = true;
        screen_.soft.clear();
        screen_.account.clear();
        screen_.year.clear();
        session_.gPassWord.clear();
        return;
    }
    LoadAccountSets();
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
    // An edition of another family lists its account sets from another system
    // database (master or QVSystem): reconnect before listing.
    if (!session_.cnSystem || session_.gSystemDatabase != connectedSystemDatabase_) {
        connectSystemDatabaseAndList();
        return;
    }

    QList<AccountSet> sets;
    try {
        sets = listAccountSets(session_.cnSystem.get(), session_.gAccountListSQL);
    } catch (const Error& error) {
        showListFailure(error.message());
        return;
    }
    screen_.account.clear();
    if (sets.isEmpty()) {
        screen_.report = kNoAccountSets;
        return;
    }
    for (const AccountSet& set : sets) screen_.account.items << set.entry();
    const qsizetype saved =
        ComboContains(screen_.account.items, session_.gZTName) ? screen_.account.items.indexOf(session_.gZTName) : 0;
    selectAccount(int(saved));
    screen_.report.clear();
}

void LoginLogic::connectSystemDatabaseAndList() {
    session_.cnSystem.reset();
    connectedSystemDatabase_ = session_.gSystemDatabase;
    inBackground<ServerConnection>([login = systemLogin(session_)] { return OpenServerConnection(login); },
                                   [this](ServerConnection attempt) {
                                       session_.cnSystem = std::move(attempt.connection);
                                       if (session_.cnSystem) {
                                           LoadAccountSets();
                                           return;
                                       }
                                       screen_.report = attempt.failure;
                                       screen_.passwordButtonVisible = true;
                                       screen_.account.clear();
                                       screen_.year.clear();
                                   });
}

void LoginLogic::LoadYears() {
    screen_.year.clear();
    QStringList years;
    try {
        years = listYears(session_.cnSystem.get(), AccountIdOf(screen_.account.text()));
    } catch (const Error& error) {
        showListFailure(error.message());
        return;
    }
    if (years.isEmpty()) {
        prompts_.message(MessageIcon::None, kNoYears);
        screen_.okEnabled = false;
    } else {
        screen_.year.items = years;
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

void LoginLogic::selectYear(int index) {
    screen_.year.current = index;
}

void LoginLogic::cboSoftSelected() {
    if (session_.gAccountListSQL.isEmpty()) return;
    SelectEdition(screen_.soft.text());
    LoadAccountSets();
}

void LoginLogic::cboZTSelected() {
    if (session_.gSystemDatabase == QLatin1String("QVSystem") && !screen_.account.text().isEmpty()) LoadYears();
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
    session_.gPassWord = prompts_.askSecret(QStringLiteral("请输入SA口令")).value_or(QString());
    LoadLoginLists();
}

void LoginLogic::cmdOKClick() {
    session_.gSoft = screen_.soft.text();
    inBackground<QString>([login = loginTestLogin(session_, screen_.serverText)] { return TestLogin(login); },
                          [this](const QString& refusal) {
                              if (!refusal.isEmpty()) {
                                  prompts_.message(MessageIcon::Question, kLoginRejected + QLatin1Char('\n') + refusal);
                                  return;
                              }
                              connectAccountDatabase();
                          });
}

void LoginLogic::connectAccountDatabase() {
    const std::optional<odbc::ServerLogin> login =
        PrepareAccountConnection(session_, screen_.account.text(), screen_.year.text(), prompts_);
    if (!login) return;
    const StoreChange change = passwordStoreChange();
    inBackground<AccountStep>(
        [login = *login, change] {
            ServerConnection attempt = OpenServerConnection(login);
            return AccountStep{std::move(attempt), applyStoreChange(change)};
        },
        [this, removalAsked = change.removalAsked](AccountStep step) {
            FinishAccountConnection(session_, std::move(step.attempt), prompts_);
            saveSettings();
            if (!step.store.writeFailure.isEmpty()) tellStoreUnavailable(step.store.writeFailure);
            if (!step.store.removeFailure.isEmpty() && removalAsked)
                prompts_.message(MessageIcon::Exclamation, storeRemoveFailedText(step.store.removeFailure));
            loggedIn_ = true;
        });
}

StoreChange LoginLogic::passwordStoreChange() const {
    // The next start looks the password up by the saved server name, which
    // it reads without its blanks.
    const credentials::CredentialKey login{TrimBlanks(screen_.serverText), session_.gUserName};
    if (!screen_.saveSettings) {
        StoreChange reset{std::nullopt, {login}, true};
        if (savedLogin_.server != login.server || savedLogin_.user != login.user) reset.remove << savedLogin_;
        return reset;
    }
    if (session_.gPassWord.isEmpty()) return {std::nullopt, {login}};
    return {std::pair{login, session_.gPassWord}, {}};
}

void LoginLogic::saveSettings() {
    // The password row is blank either way: the password is kept in the
    // credential store (see passwordStoreChange), never in the package.
    const QList<std::pair<QString, QString>> settings =
        screen_.saveSettings
            ? QList<std::pair<QString, QString>>{{QStringLiteral("ServerName"), screen_.serverText},
                                                 {QStringLiteral("UserName"), session_.gUserName},
                                                 {QStringLiteral("PassWord"), QStringLiteral(" ")},
                                                 {QStringLiteral("ZTName"), screen_.account.text()},
                                                 {QStringLiteral("Year"), screen_.year.text().isEmpty()
                                                                              ? QStringLiteral(" ")
                                                                              : screen_.year.text()},
                                                 {QStringLiteral("Soft"), screen_.soft.text()}}
            : QList<std::pair<QString, QString>>{{QStringLiteral("ServerName"), QStringLiteral("(local)")},
                                                 {QStringLiteral("UserName"), QStringLiteral("sa")},
                                                 {QStringLiteral("PassWord"), QStringLiteral(" ")},
                                                 {QStringLiteral("ZTName"), QStringLiteral(" ")},
                                                 {QStringLiteral("Year"), QStringLiteral(" ")},
                                                 {QStringLiteral("Soft"), QStringLiteral(" ")}};
    try {
        for (const auto& [name, value] : settings)
            ExecuteToolSQL(
                *session_.cnTool,
                QStringLiteral("Update ZOL set cValue=%1 where cName=%2").arg(sqlText(value), sqlText(name)));
    } catch (const Error& error) {
        // The login itself is good: the operator goes on to the main window.
        prompts_.message(
            MessageIcon::Exclamation,
            QStringLiteral("登录继续进行，但设置未能保存：%1").arg(operatorText(error, session_.cnTool->path())));
        return;
    }
    if (!packageHeldPassword_) return;
    const QString copyLeft = removePreviousCopyWithPassword(session_.cnTool->path());
    if (!copyLeft.isEmpty()) prompts_.message(MessageIcon::Exclamation, copyLeft);
}

void LoginLogic::tellStoreUnavailable(const QString& reason) {
    if (std::exchange(storeUnavailableTold_, true)) return;
    prompts_.message(MessageIcon::Information, storeUnavailableText(reason));
}

}  // namespace tallomar
