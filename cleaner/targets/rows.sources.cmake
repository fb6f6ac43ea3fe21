# Row-level browser targets: the plans of each database, the Bookmarks reader and the keep-list.
list(APPEND CLEANER_CORE_SOURCES
  targets/BookmarksFile.cpp
  targets/BrowserRows.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  targets/BrowserRowTargets.cpp
)
