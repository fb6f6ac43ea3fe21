# Target conditions, the winapp2.ini reader and the stored form of an import (neutral); the
# imported targets' working entries, the safety judgement and the import store on disk (Win32).
list(APPEND CLEANER_CORE_SOURCES
  targets/TargetConditions.cpp
  targets/WinappIni.cpp
  targets/ImportStore.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  targets/ImportedTargets.cpp
  targets/ImportedFolderEntry.cpp
)
