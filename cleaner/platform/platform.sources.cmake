list(APPEND CLEANER_WIN_SOURCES
  platform/ProgramFolder.cpp
  platform/AtomicFileWriter.cpp
  platform/SystemLibrary.cpp
  platform/ProcessList.cpp
)
