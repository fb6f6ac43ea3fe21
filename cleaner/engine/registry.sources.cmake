# Registry entries (kinds 5 and 6) and their value-name matching.
list(APPEND CLEANER_CORE_SOURCES
  engine/ValueNameMatch.cpp
  engine/RegistryRules.cpp
  engine/EntryTrust.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  engine/RegistryEntry.cpp
)
