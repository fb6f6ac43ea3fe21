# Controls the administrator's policy locks (Win32).
list(APPEND CLEANER_WIN_SOURCES
  dialogs/LockedControl.cpp
)
