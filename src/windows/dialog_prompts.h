#pragma once

#include "logic/prompts.h"

class QWidget;

namespace tallomar {

// Prompts answered by the program's modal boxes (through the Dialogs seam),
// owned by `parent`.
class DialogPrompts : public Prompts {
public:
    explicit DialogPrompts(QWidget* parent) : parent_(parent) {}

    void message(MessageIcon icon, const QString& text, const QString& title = QString()) override;
    std::optional<QString> askSecret(const QString& prompt) override;

private:
    QWidget* parent_;
};

}  // namespace tallomar
