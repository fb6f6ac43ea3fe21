#pragma once
#include <functional>
#include <string_view>

// The records of a leveldb store's files, read without the store's library, so the site-data
// targets can tell which origins a browser store holds: its write-ahead logs ("000003.log") and
// its sorted tables ("000005.ldb", ".sst"), raw or Snappy-compressed. A key deleted later still
// shows in the older file that held it, so a store may look fuller than it is, never emptier.

enum class LevelDbFileKind { Log, Table };

using LevelDbRecord = std::function<void(std::string_view key, std::string_view value)>;

// Calls record(key, value) for every record the file holds (a deletion with an empty value). False
// when the bytes are not a whole file of that kind (a table with a damaged block, a compression
// this reader does not know, a log with a broken record before its end): what the file holds is
// then unknown. A log cut off inside its last record, as a crash leaves it, reads up to that record.
[[nodiscard]] bool ReadLevelDbFile(std::string_view bytes, LevelDbFileKind kind, const LevelDbRecord& record);

// The kind of a store file by its name; false for the store's other files (CURRENT, MANIFEST, LOG).
[[nodiscard]] bool LevelDbFileKindOf(std::string_view name, LevelDbFileKind& kind);
