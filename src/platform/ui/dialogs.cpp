#include "platform/ui/dialogs.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace tallomar {

namespace {

class ModalDialogs final : public Dialogs {
public:
    int exec(QDialog& dialog) override { return dialog.exec(); }
};

ModalDialogs modalDialogs;
Dialogs* installed = nullptr;

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

Dialogs& Dialogs::current() {
    return installed ? *installed : modalDialogs;
}

void Dialogs::install(Dialogs* dialogs) {
    installed = dialogs;
}

void showMessage(QWidget* parent, MessageIcon icon, const QString& text, const QString& title) {
    QMessageBox box(boxIcon(icon), title.isEmpty() ? kProgramTitle : title, text, QMessageBox::Ok, parent);
    Dialogs::current().exec(box);
}

bool askYesNo(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Question, title.isEmpty() ? kProgramTitle : title, text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return Dialogs::current().exec(box) == QMessageBox::Yes;
}

std::optional<QString> askText(QWidget* parent, const QString& prompt, const QString& title,
                               const QString& defaultAnswer, Echo echo) {
    QInputDialog box(parent);
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(defaultAnswer);
    box.setTextEchoMode(echo == Echo::Secret ? QLineEdit::Password : QLineEdit::Normal);
    if (Dialogs::current().exec(box) != QDialog::Accepted) return std::nullopt;
    return box.textValue();
}

}  // namespace tallomar
