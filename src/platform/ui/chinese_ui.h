#pragma once

class QApplication;
class QWidget;

namespace tallomar {

// Installs Qt's own Chinese texts (OK, Cancel, the file and colour dialogs)
// so that they match the rest of the program. A missing translation file
// leaves Qt's English texts.
void InstallChineseTranslation(QApplication& app);

// Sets the widget's typeface to 宋体, which the window layouts name; where it
// is not installed the system's CJK font stands in for it. The size stays.
void UseSongTypeface(QWidget* widget);

}  // namespace tallomar
