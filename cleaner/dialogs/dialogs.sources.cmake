# The Options dialog with its pages (Targets, Auto-Kill, Settings) and the About dialog. Their
# templates (*.rc here) go into Tracelorn.exe through app/program.cmake.
list(APPEND CLEANER_CORE_SOURCES
  dialogs/OptionsRules.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  dialogs/DlgAbout.cpp
  dialogs/DlgAutoKill.cpp
  dialogs/DlgOptions.cpp
  dialogs/DlgOthers.cpp
  dialogs/DlgTargets.cpp
  dialogs/OptionsPage.cpp
)
