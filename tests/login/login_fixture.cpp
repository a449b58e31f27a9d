#include "login_fixture.h"

#include "app/start_up.h"
#include "tooldb/tool_database.h"

#include <QApplication>
#include <QTest>

namespace tallomar::test {

namespace {

jet4::TableSpec versionTable(const std::vector<Edition>& editions) {
    jet4::TableSpec table{QStringLiteral("Version"),
                          {{QStringLiteral("cItem"), mdb::ColumnKind::Text, 50},
                           {QStringLiteral("iGrade"), mdb::ColumnKind::Integer},
                           {QStringLiteral("bsign"), mdb::ColumnKind::Boolean},
                           {QStringLiteral("ID"), mdb::ColumnKind::LongInteger, 255, false, true}},
                          {}};
    for (const Edition& edition : editions)
        table.rows.push_back({{edition.item, edition.grade, edition.enabled, edition.id}, false, false});
    return table;
}

}  // namespace

void LoginTest::SetUp() {
    isolateSecretService();
    // The demo data holds the account-set databases of the demo account sets.
    sandbox_ = std::make_unique<SandboxServer>();

    // Rows deliberately out of ID order: the list follows ID.
    editions = {{QStringLiteral("R6 财务标准版"), 1, true, 20},
                {QStringLiteral("R3 财务普及版"), 1, true, 10},
                {QStringLiteral("W6 停用版"), 1, false, 15},
                {QStringLiteral("QM 单机版"), 1, true, 30},
                {QStringLiteral("R3 高级版"), 2, true, 5}};
    settings_ = {{QStringLiteral("ServerName"), sandbox_->serverName()},
                 {QStringLiteral("UserName"), QString::fromLatin1(SandboxServer::User)},
                 {QStringLiteral("PassWord"), sandboxPassword()},
                 {QStringLiteral("ZTName"), kAccount001},
                 {QStringLiteral("Year"), QStringLiteral("2008")},
                 {QStringLiteral("Soft"), QStringLiteral("R6 财务标准版")},
                 {QStringLiteral("ToolName"), QStringLiteral("凭证检查工具")},
                 {QStringLiteral("Readme"), QStringLiteral("说明")}};
}

void LoginTest::TearDown() {
    window.reset();
    EXPECT_EQ(dialogs.pending(), 0u) << "a queued answer found no box";
}

void LoginTest::setSetting(const QString& name, const QVariant& value) {
    for (auto& [settingName, settingValue] : settings_) {
        if (settingName == name) {
            settingValue = value;
            return;
        }
    }
    settings_.emplace_back(name, value);
}

FrmLogin& LoginTest::openWindow(Wait wait) {
    jet4::DatabaseSpec spec = packageWithSettings(settings_);
    for (jet4::TableSpec& table : spec.tables)
        if (table.name == u"Version") table = versionTable(editions);
    package_ = std::make_unique<ToolDatabaseFile>(spec);
    openWindowOnPackage();
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    if (wait == Wait::ForLists) waitForConnections();
    return *window;
}

void LoginTest::waitForConnections() {
    // A server that does not answer keeps the window waiting up to the login
    // timeout, once for each connection.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !window->connecting(); }, (2 * kLoginTimeoutSeconds + 5) * 1000));
}

FrmLogin& LoginTest::openWindowOnPackage() {
    window.reset();
    auto session = std::make_unique<Session>();
    session_ = session.get();
    EXPECT_TRUE(OpenToolDatabase(*session, package_->path()));
    window = std::make_unique<FrmLogin>(std::move(session), [this](std::unique_ptr<Session> loggedIn) {
        handOvers.push_back({loggedIn->cnAccount != nullptr, loggedIn->gDatabaseName});
        handedOver_ = std::move(loggedIn);
    });
    return *window;
}

FrmLogin& LoginTest::reopenWindow() {
    openWindowOnPackage();
    waitForConnections();
    return *window;
}

Session LoginTest::savedSession() const {
    Session saved;
    EXPECT_TRUE(OpenToolDatabase(saved, package_->path()));
    return saved;
}

QComboBox& LoginTest::combo(const char* name) {
    auto* found = window->findChild<QComboBox*>(QString::fromLatin1(name));
    if (!found) throw std::runtime_error(std::string("no combo box ") + name);
    return *found;
}

QPushButton& LoginTest::button(const char* name) {
    auto* found = window->findChild<QPushButton*>(QString::fromLatin1(name));
    if (!found) throw std::runtime_error(std::string("no button ") + name);
    return *found;
}

QLabel& LoginTest::label(const char* name) {
    auto* found = window->findChild<QLabel*>(QString::fromLatin1(name));
    if (!found) throw std::runtime_error(std::string("no label ") + name);
    return *found;
}

QLineEdit& LoginTest::serverBox() {
    auto* found = window->findChild<QLineEdit*>(QStringLiteral("txtServerName"));
    if (!found) throw std::runtime_error("no server box");
    return *found;
}

QCheckBox& LoginTest::saveBox() {
    auto* found = window->findChild<QCheckBox*>(QStringLiteral("chkSave"));
    if (!found) throw std::runtime_error("no save box");
    return *found;
}

QStringList LoginTest::entries(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) items << combo.itemText(i);
    return items;
}

void LoginTest::choose(QComboBox& combo, const QString& text) {
    const int target = combo.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    ASSERT_GE(target, 0) << "no entry " << text.toStdString();
    combo.setFocus(Qt::TabFocusReason);
    // Home and End jump to the first and the last entry; each arrow key
    // chooses the next one. Every key runs the list's handler.
    const auto key = [&](Qt::Key pressed) {
        QTest::keyClick(&combo, pressed);
        waitForConnections();
    };
    if (target == 0 && combo.currentIndex() != 0) key(Qt::Key_Home);
    if (target == combo.count() - 1 && combo.currentIndex() != target) key(Qt::Key_End);
    for (int guard = 0; combo.currentIndex() != target && guard < 100; ++guard)
        key(combo.currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    ASSERT_EQ(combo.currentText(), text);
}

void LoginTest::typeServerName(const QString& text) {
    QLineEdit& box = serverBox();
    box.setFocus(Qt::TabFocusReason);
    box.selectAll();
    QTest::keyClicks(&box, text);
}

void LoginTest::click(QPushButton& target) {
    QTest::mouseClick(&target, Qt::LeftButton);
    waitForConnections();
}

QMap<QString, QVariant> LoginTest::savedSettings() const {
    const auto reopened = tooldb::ToolDatabase::open(package_->path());
    const tooldb::Recordset rows = reopened->query(QStringLiteral("select cName, cValue from ZOL"));
    QMap<QString, QVariant> saved;
    for (std::size_t row = 0; row < rows.rows.size(); ++row)
        saved.insert(rows.value(row, QStringLiteral("cName")).toString(), rows.value(row, QStringLiteral("cValue")));
    return saved;
}

QMap<QString, QVariant> LoginTest::initialSettings() const {
    QMap<QString, QVariant> initial;
    for (const auto& [name, value] : settings_) initial.insert(name, value);
    return initial;
}

bool LoginTest::accountSetsListed() const {
    for (const std::string& batch : sandbox_->server().receivedBatches())
        if (QString::fromStdString(batch).contains(QStringLiteral("FROM UA_Account"), Qt::CaseInsensitive) &&
            !QString::fromStdString(batch).contains(QStringLiteral("UA_Account_sub"), Qt::CaseInsensitive))
            return true;
    return false;
}

}  // namespace tallomar::test
