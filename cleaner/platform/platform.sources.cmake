list(APPEND CLEANER_WIN_SOURCES
  platform/AnsiText.cpp
  platform/ProgramFolder.cpp
  platform/AtomicFileWriter.cpp
  platform/SystemLibrary.cpp
  platform/ProcessList.cpp
)
