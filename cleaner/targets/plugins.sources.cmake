# Property tree container, plug-in target records and their text form (neutral); plug-in files,
# plug-in folders and the custom targets store (Win32).
list(APPEND CLEANER_CORE_SOURCES
  targets/ByteStream.cpp
  targets/StoredText.cpp
  targets/PropertyTree.cpp
  targets/PluginRecord.cpp
  targets/PluginText.cpp
  targets/CustomTargetsFormat.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  targets/AnsiStoredText.cpp
  targets/BinaryFile.cpp
  targets/PluginFiles.cpp
  targets/CustomTargets.cpp
)
