#pragma once

namespace tallomar {

// The icon of a message box: what the logic asks for and the window draws.
enum class MessageIcon { None, Information, Exclamation, Question, Critical };

}  // namespace tallomar
