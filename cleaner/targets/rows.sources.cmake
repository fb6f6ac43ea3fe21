# Row-level browser targets: the plans of each database, the Bookmarks reader and the keep-list
# (its store, and the sites that have cookies, which the Options page lists).
list(APPEND CLEANER_CORE_SOURCES
  targets/BookmarksFile.cpp
  targets/BrowserRows.cpp
  targets/CookieSites.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  targets/BrowserRowTargets.cpp
  targets/CookieSitesOnDisk.cpp
  targets/KeepListStore.cpp
)
