# TracelornCmd.exe, the console front end: its command line, target selection and report format
# (neutral), its run over the catalogue and its output (Win32).
list(APPEND CLEANER_CORE_SOURCES
  console/ConsoleArgs.cpp
  console/ConsoleReport.cpp
  console/TargetSelection.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  console/ConsoleOutput.cpp
  console/ConsoleRun.cpp
)
