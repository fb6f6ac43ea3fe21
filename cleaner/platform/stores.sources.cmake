# Win32 implementations of the system store and drive interfaces.
list(APPEND CLEANER_WIN_SOURCES
  platform/Win32SystemStores.cpp
)
