# Settings store: the registry settings, selections, time stamps, Run entry and config.cfg.
list(APPEND CLEANER_CORE_SOURCES
  targets/Statistics.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  targets/SettingsStore.cpp
)
