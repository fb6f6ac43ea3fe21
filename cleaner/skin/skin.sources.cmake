# Skinned dialogs and controls, the window framework (CDialog, CSubclassWnd) and image strips.
list(APPEND CLEANER_CORE_SOURCES
  skin/DialogTemplate.cpp
  skin/ListLine.cpp
  skin/ResultLine.cpp
  skin/SkinGeometry.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  skin/BannerCtrl.cpp
  skin/Dialog.cpp
  skin/ImageStrip.cpp
  skin/MyButton.cpp
  skin/MyDialog.cpp
  skin/MyListBox.cpp
  skin/MyProgressCtrl.cpp
  skin/MyStatic.cpp
  skin/MyToolTipDialog.cpp
  skin/PaintedWnd.cpp
  skin/PixelLayout.cpp
  skin/SkinDraw.cpp
  skin/SkinResources.cpp
  skin/SubclassWnd.cpp
  skin/WindowText.cpp
)
