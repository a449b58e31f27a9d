#include "windows/dialog_prompts.h"

#include "platform/ui/dialogs.h"

namespace tallomar {

void DialogPrompts::message(MessageIcon icon, const QString& text, const QString& title) {
    showMessage(parent_, icon, text, title);
}

std::optional<QString> DialogPrompts::askSecret(const QString& prompt) {
    return askText(parent_, prompt, QString(), QString(), Echo::Secret);
}

}  // namespace tallomar
