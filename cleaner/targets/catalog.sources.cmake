list(APPEND CLEANER_CORE_SOURCES
  targets/Target.cpp
  targets/TargetCatalog.cpp
)
list(APPEND CLEANER_WIN_SOURCES
)
