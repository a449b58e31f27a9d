#pragma once

#include "platform/message_icon.h"

#include <QString>
#include <optional>

namespace tallomar {

// What the window-free logic asks of the operator. The windows answer
// through their modal boxes (see windows/dialog_prompts.h), tests answer
// directly.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A message with an OK button; an empty title gives the program's own.
    virtual void message(MessageIcon icon, const QString& text, const QString& title = QString()) = 0;
    // A secret answer (a password), not shown as it is typed; empty optional
    // when the operator cancels.
    virtual std::optional<QString> askSecret(const QString& prompt) = 0;
};

}  // namespace tallomar
