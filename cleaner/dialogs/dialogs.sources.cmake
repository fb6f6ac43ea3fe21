# The Options dialog with its pages (Targets, Auto-Kill, Settings), the target pages, the custom
# target editor, the About dialog and the update dialog. Their templates (*.rc here) go into Tracelorn.exe through
# app/program.cmake.
list(APPEND CLEANER_CORE_SOURCES
  dialogs/OptionsRules.cpp
  dialogs/TargetEditorRules.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  dialogs/AddTargetPages.cpp
  dialogs/CheckList.cpp
  dialogs/ChildPage.cpp
  dialogs/CheckTree.cpp
  dialogs/DlgAbout.cpp
  dialogs/DlgAddTarget.cpp
  dialogs/DlgAutoKill.cpp
  dialogs/DlgDetails.cpp
  dialogs/DlgDetailsCollector.cpp
  dialogs/DlgDetailsTable.cpp
  dialogs/DlgExcludes.cpp
  dialogs/DlgOptions.cpp
  dialogs/DlgOthers.cpp
  dialogs/DlgTarget.cpp
  dialogs/DlgTargetApp.cpp
  dialogs/DlgTargetMin.cpp
  dialogs/DlgTargetRoot.cpp
  dialogs/DlgTargets.cpp
  dialogs/DlgUpdate.cpp
  dialogs/OptionsPage.cpp
  dialogs/TargetGroup.cpp
  dialogs/TargetTab.cpp
  dialogs/TargetTreeImages.cpp
)
# The "Cookies to Keep" page: its rows (no Win32), the page with its site list and its dialog for a
# site typed by hand, and the folder browser the pages share.
list(APPEND CLEANER_CORE_SOURCES
  dialogs/DlgCookiesToKeepRows.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  dialogs/DlgCookiesToKeep.cpp
  dialogs/DlgCookiesToKeepList.cpp
  dialogs/FolderChooser.cpp
)
