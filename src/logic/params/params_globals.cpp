#include "logic/params/params_globals.h"

namespace tallomar {

QString gListFile;
qint16 gListCount = 0;
QString gBaseFolder;

}  // namespace tallomar
