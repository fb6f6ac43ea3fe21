list(APPEND CLEANER_CORE_SOURCES
  targets/Target.cpp
  targets/TargetCatalog.cpp
)
list(APPEND CLEANER_WIN_SOURCES
)
# The catalogue builder and the program's catalogue (Win32: plug-in files, drives, system stores).
list(APPEND CLEANER_WIN_SOURCES
  targets/CatalogBuilder.cpp
  targets/CleanerCatalog.cpp
)
# The banner file the update client fetches and the main window shows (neutral).
list(APPEND CLEANER_CORE_SOURCES
  targets/BannerFile.cpp
)
