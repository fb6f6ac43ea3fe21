# Target conditions and the cache that answers them, the winapp2.ini reader and the stored form of
# an import (neutral); the machine's answers to the conditions, the imported targets' working
# entries, the safety judgement and the import store on disk (Win32).
list(APPEND CLEANER_CORE_SOURCES
  targets/TargetConditions.cpp
  targets/TargetConditionCache.cpp
  targets/WinappIni.cpp
  targets/ImportStore.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  targets/ImportedTargets.cpp
  targets/ImportedTargetsRules.cpp
  targets/TargetConditionProbe.cpp
  targets/ImportedFolderEntry.cpp
  targets/ImportedExcludesEntry.cpp
)
