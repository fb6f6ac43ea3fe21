# Property tree container and plug-in target records (neutral).
list(APPEND CLEANER_CORE_SOURCES
  targets/ByteStream.cpp
  targets/PropertyTree.cpp
  targets/PluginRecord.cpp
  targets/PluginText.cpp
)
list(APPEND CLEANER_WIN_SOURCES
)
