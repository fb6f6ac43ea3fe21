list(APPEND CLEANER_CORE_SOURCES
  targets/BrowserProfile.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  targets/DriveTargets.cpp
  targets/BrowserTargets.cpp
)
