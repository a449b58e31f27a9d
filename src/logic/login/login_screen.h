#pragma once

#include <QString>
#include <QStringList>

namespace tallomar {

// A choose-from-list combo box as the login logic sees it: its entries and
// the selected one.
struct ComboList {
    QStringList items;
    int current = -1;

    QString text() const { return current >= 0 && current < items.size() ? items.at(current) : QString(); }
    void clear() {
        items.clear();
        current = -1;
    }
};

// Everything the login window shows, kept by the login logic and drawn by
// the window after each handler.
struct LoginScreen {
    QString serverText = QStringLiteral("(local)");  // txtServerName
    bool passwordButtonVisible = false;              // cmdPassword
    ComboList soft;                                  // cboSoft
    ComboList account;                               // cboZT
    ComboList year;                                  // cboYear
    bool yearVisible = true;                         // labYear, cboYear
    bool okEnabled = true;                           // cmdOK
    bool saveSettings = true;                        // chkSave
    QString report = QStringLiteral("提示");         // labReport
    // The system connection is being made behind the window: only cmdCancel
    // takes input meanwhile, under a busy pointer.
    bool connecting = false;
};

}  // namespace tallomar
