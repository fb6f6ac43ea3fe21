# System stores (protected store, event logs, page file) over their platform interfaces.
list(APPEND CLEANER_CORE_SOURCES
  engine/SystemStores.cpp
)
list(APPEND CLEANER_WIN_SOURCES
)
# Drive list and recycle folder decisions of the drive-based targets.
list(APPEND CLEANER_CORE_SOURCES
  engine/RecycleRules.cpp
)
# Internet cache content and history entries.
list(APPEND CLEANER_WIN_SOURCES
  engine/UrlCacheEntry.cpp
)
# Recycle folder of a drive.
list(APPEND CLEANER_WIN_SOURCES
  engine/RecycleFolderEntry.cpp
)
