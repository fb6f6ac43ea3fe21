# System stores (protected store, event logs, page file) over their interfaces, and the Win32
# implementations of those interfaces and of the drive list.
list(APPEND CLEANER_CORE_SOURCES
  engine/SystemStores.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  engine/Win32SystemStores.cpp
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
