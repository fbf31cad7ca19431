#pragma once

#include <QJsonObject>
#include <QString>

class COvDiscDatabase;

// The catalogue as a JSON document, and back:
//
//   {"discs": [{"number", "name", "artist", "quality", "notes", "location", "savedAt", "lendDate",
//               "folderTree", "categories": [...],
//               "facts": {"fileSystem", "label", "uuid", "model", "capacity", "free",
//                         "scannedAt"},
//               "files": [{"fileName", "folder", "size", "drive", "categories": [...],
//                          "modified", "fingerprint", "encrypted"}]}],
//    "categories": [...],
//    "settings": [{"key", "type", "value"}]}
//
// The facts are there only where known: "facts" and its keys, and a file's "modified" (ISO 8601
// in UTC, or seconds since 1970 where the year has no four digits; build takes any zone, and
// the seconds for any time), "fingerprint" (16 hex digits) and "encrypted" (true).
//
// Texts are byte strings, not Unicode: byte b stands as code point U+00bb, so that any byte,
// NUL included, passes through unchanged. A settings value is typed by its class name:
// "CStringList" holds texts, "CMapStringToString" [key, text] pairs, "CObList" typed objects
// {"type", "value"} or null, "CMapStringToOb" [key, typed object or null] pairs.
//
// Maps list their entries in the order the file holds them. The file order of one hash bucket
// is the reverse of the order its keys were inserted in, so building inserts from the end of
// each array: a catalogue dumped and built again comes out byte for byte the same.

// False and the reason when the database holds an object that has no JSON form.
bool CatalogueToJson(const COvDiscDatabase& database, QJsonObject* json, QString* error);

// Fills an empty database. False and the reason, with the place in the document ("discs[2].
// files[0].size: ..."), when the document has another shape or a text holds a code point above
// U+00FF; the database is then partly filled and should be thrown away.
bool CatalogueFromJson(const QJsonObject& json, COvDiscDatabase& database, QString* error);
