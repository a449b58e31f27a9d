#pragma once

class QApplication;

namespace tallomar {

// Installs Qt's own Chinese texts (OK, Cancel, the file and colour dialogs)
// so that they match the rest of the program. A missing translation file
// leaves Qt's English texts.
void InstallChineseTranslation(QApplication& app);

}  // namespace tallomar
