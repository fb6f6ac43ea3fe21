# plugc: the plug-in compiler and printer (host tool); the shipped plug-ins in data/plugins/ are
# compiled with it into <build>/bin/STDPLUGS and <build>/bin/APPPLUGS in both trees.
if(NOT TL_WINDOWS)
  add_executable(plugc ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
  target_link_libraries(plugc PRIVATE cleaner_core)
  set(PLUGC_COMMAND $<TARGET_FILE:plugc>)
  set(PLUGC_DEPENDS plugc)
  add_test(NAME plugc_roundtrip
           COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/roundtrip.sh $<TARGET_FILE:plugc>
                   ${CMAKE_SOURCE_DIR}/data/plugins ${CMAKE_BINARY_DIR}/plugc-roundtrip)
else()
  set(PLUGC_COMMAND ${TL_HOST_TOOLS_DIR}/plugc)
  set(PLUGC_DEPENDS ${TL_HOST_TOOLS_DIR}/plugc)
endif()
include(${CMAKE_SOURCE_DIR}/data/plugins/plugins.cmake)
