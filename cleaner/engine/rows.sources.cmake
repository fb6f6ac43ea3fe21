# Browser databases cleaned row by row: the SQLite connection, the safe change over a copy, and
# the entry; the file steps of the change on Windows.
list(APPEND CLEANER_CORE_SOURCES
  engine/SqliteDb.cpp
  engine/RowCleaner.cpp
  engine/RowCleanerChecks.cpp
  engine/RowCleanerIndexes.cpp
  engine/RowEntry.cpp
)
list(APPEND CLEANER_CORE_LINK sqlite3)
list(APPEND CLEANER_WIN_SOURCES
  engine/DatabaseSwap.cpp
)
