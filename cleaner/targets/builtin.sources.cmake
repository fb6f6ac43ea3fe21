list(APPEND CLEANER_CORE_SOURCES
  targets/BrowserProfile.cpp
  targets/ProfileLists.cpp
  targets/JsonCursor.cpp
  targets/LevelDbKeys.cpp
  targets/SiteOrigins.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  targets/DriveTargets.cpp
  targets/BrowserFamilies.cpp
  targets/BrowserDiscovery.cpp
  targets/BrowserTargets.cpp
  targets/BrowserPrograms.cpp
  targets/BrowserSiteData.cpp
)
