# Machine policy: what the values under Software\Policies mean (neutral) and their reader (Win32).
list(APPEND CLEANER_CORE_SOURCES
  targets/MachinePolicy.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  targets/PolicyReader.cpp
)
