#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>
#include <QInputDialog>
#include <QMessageBox>

namespace tallomar::test {

namespace {

MessageIcon iconOf(const QMessageBox& box) {
    switch (box.icon()) {
        case QMessageBox::Information:
            return MessageIcon::Information;
        case QMessageBox::Warning:
            return MessageIcon::Exclamation;
        case QMessageBox::Question:
            return MessageIcon::Question;
        case QMessageBox::Critical:
            return MessageIcon::Critical;
        case QMessageBox::NoIcon:
            break;
    }
    return MessageIcon::None;
}

}  // namespace

ScriptedDialogs::ScriptedDialogs() {
    Dialogs::install(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    Dialogs::install(nullptr);
}

int ScriptedDialogs::exec(QDialog& dialog) {
    Shown seen{QString::fromLatin1(dialog.metaObject()->className()), dialog.windowTitle(), {}, MessageIcon::None};
    if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
        seen.text = box->text();
        seen.icon = iconOf(*box);
    } else if (auto* input = qobject_cast<QInputDialog*>(&dialog)) {
        seen.text = input->labelText();
    }
    shown_.push_back(seen);
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected modal " << seen.kind.toStdString() << ": " << seen.text.toStdString();
        return QDialog::Rejected;
    }
    auto handler = std::move(answers_.front());
    answers_.pop_front();
    return handler(dialog);
}

void ScriptedDialogs::answer(std::function<int(QDialog&)> handler) {
    answers_.push_back(std::move(handler));
}

void ScriptedDialogs::acceptMessage() {
    answer([](QDialog&) { return int(QMessageBox::Ok); });
}

void ScriptedDialogs::answerText(const QString& text) {
    answer([text](QDialog& dialog) {
        if (auto* input = qobject_cast<QInputDialog*>(&dialog)) input->setTextValue(text);
        return int(QDialog::Accepted);
    });
}

void ScriptedDialogs::cancelInput() {
    answer([](QDialog&) { return int(QDialog::Rejected); });
}

void ScriptedDialogs::runForReal() {
    answer([](QDialog& dialog) { return dialog.exec(); });
}

}  // namespace tallomar::test
