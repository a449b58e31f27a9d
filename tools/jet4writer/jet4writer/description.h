#pragma once

#include "jet4writer/database_spec.h"

#include <QByteArray>
#include <QString>

// A readable JSON description of a fixture file:
//
//   {"tables": [{"name": "ZOL",
//                "columns": [{"name": "cName", "kind": "text", "length": 50},
//                            {"name": "cValue", "kind": "memo"},
//                            {"name": "cOld", "kind": "text", "deleted": true},
//                            {"name": "ID", "kind": "long", "indexed": true}],
//                "rows": [["ServerName", "(local)", null, 1],
//                         {"values": ["x", "y", null, 2], "deleted": true},
//                         {"values": ["z", "w", null, 3], "overflow": true}]}]}
//
// Kinds: boolean, byte, integer, long, double, datetime (ISO text), text,
// memo, ole (base64 text). Values: strings, numbers, true/false or null.
namespace tallomar::jet4 {

// Throws Error naming `source` and the place of the fault.
DatabaseSpec parseDescription(const QByteArray& json, const QString& source);

}  // namespace tallomar::jet4
