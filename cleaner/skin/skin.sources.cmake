# Skinned dialogs and controls, the window framework (CDialog, CSubclassWnd) and image strips.
list(APPEND CLEANER_CORE_SOURCES
  skin/ListLine.cpp
  skin/SkinGeometry.cpp
)
