list(APPEND CLEANER_CORE_SOURCES
  app/ActionDriver.cpp
  app/ActionTexts.cpp
  app/BalloonField.cpp
  app/BannerFile.cpp
  app/CommandLine.cpp
  app/InstanceName.cpp
  app/ResultLine.cpp
  app/RowLayout.cpp
)
list(APPEND CLEANER_WIN_SOURCES
)
