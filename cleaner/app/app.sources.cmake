list(APPEND CLEANER_CORE_SOURCES
  app/ActionDriver.cpp
  app/ActionTexts.cpp
  app/CommandLine.cpp
  app/InstanceName.cpp
  app/PendingCalls.cpp
  app/RowLayout.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  app/ActionWindowBridge.cpp
  app/CleanerApp.cpp
  app/DlgMain.cpp
  app/DlgMainResults.cpp
  app/HelpViewer.cpp
  app/MainSchedulerHost.cpp
  app/MainTrayIcon.cpp
  app/RunLock.cpp
  app/SingleInstance.cpp
  app/TrayIcon.cpp
)
