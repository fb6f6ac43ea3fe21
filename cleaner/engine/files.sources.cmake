list(APPEND CLEANER_CORE_SOURCES
  engine/Checkpoint.cpp
  engine/ExcludeList.cpp
  engine/KillSettings.cpp
  engine/VolumeMedia.cpp
  engine/OverwritePattern.cpp
  engine/SizeFormat.cpp
  engine/WalkRootGuard.cpp
  engine/ProtectedPlaces.cpp
  engine/WalkLedger.cpp
  engine/FoundItems.cpp
  engine/JsonText.cpp
  engine/WildcardMatch.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  engine/FileRemoval.cpp
  engine/ExcludeStore.cpp
  engine/Win32VolumeMedia.cpp
  engine/FileOverwrite.cpp
  engine/OpenedFolder.cpp
  engine/FolderWalk.cpp
  engine/KillTestPipeline.cpp
  engine/FolderGuard.cpp
  engine/FileEntry.cpp
  engine/DatabaseEntry.cpp
  engine/EntryPath.cpp
  engine/EntryFactory.cpp
)
