list(APPEND CLEANER_WIN_SOURCES
  platform/Text.cpp
  platform/ProgramFolder.cpp
  platform/AtomicFileWriter.cpp
  platform/SystemLibrary.cpp
  platform/ProcessList.cpp
  platform/FileByHandle.cpp
  platform/DirectoryListing.cpp
  platform/WholeFile.cpp
)
