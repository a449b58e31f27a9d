#pragma once

#include <QString>
#include <QStringList>

class QLineEdit;
class QWidget;

namespace tallomar {

// Lets the operator choose a folder of the file system in a modal folder
// chooser owned by `owner`: `prompt` is shown above the folder tree, the tree
// opens on `startFolder` (nothing is preselected when it is empty or names no
// folder; Windows spellings are resolved), and a status line under the tree
// shows the full path of the folder selected. `recentFolders`, when given, are
// offered in a list above the tree; choosing one selects it in the tree.
// Returns the chosen folder's full path, or empty text when the operator
// cancels. One chooser is open at a time: a call while one is open returns
// empty text at once.
QString PickFolder(QWidget* owner, const QString& prompt, const QString& startFolder,
                   const QStringList& recentFolders = {});

// Asks for the product's installation folder, starting from the text of
// `field`; the chosen folder replaces that text, a cancel leaves it as it is.
void RequestProductPath(QWidget* owner, QLineEdit& field);

}  // namespace tallomar
