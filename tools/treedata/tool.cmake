# treedata: the tree-data compiler and printer (host tool), and the shipped setup data it builds
# from data/setup/ into <build>/data/setup/ in both trees.
if(NOT TL_WINDOWS)
  add_executable(treedata ${CMAKE_CURRENT_LIST_DIR}/main.cpp ${CMAKE_CURRENT_LIST_DIR}/TreeText.cpp)
  target_include_directories(treedata PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(treedata PRIVATE setup_core)
  set(TREEDATA_COMMAND $<TARGET_FILE:treedata>)
  set(TREEDATA_DEPENDS treedata)
else()
  set(TREEDATA_COMMAND ${TL_HOST_TOOLS_DIR}/treedata)
  set(TREEDATA_DEPENDS ${TL_HOST_TOOLS_DIR}/treedata)
endif()
include(${CMAKE_SOURCE_DIR}/data/setup/data.cmake)
