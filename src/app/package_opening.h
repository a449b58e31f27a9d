#pragma once

#include "app/start_request.h"
#include "session/session.h"

#include <QString>
#include <memory>

namespace tallomar {

// Opens the tool package this start chooses (ChoosePackageFolder) into a new
// session with the saved settings loaded. A folder without a tool database
// is reported ("找不到系统数据库,请与供应商联系!") and the folder chooser is
// offered again, opening on that folder, until the operator picks one that
// has a tool database. Null when the operator gives up (cancels a chooser),
// the demo package cannot be had, or the tool database cannot be read; the
// operator has been told why.
std::unique_ptr<Session> OpenPackage(const StartRequest& request, const QString& applicationFolder);

}  // namespace tallomar
