# Today's browsers end to end, in a Wine prefix of their own that run-browsers.sh creates, lays out
# like a Windows 11 user's (Chrome, Edge, Brave, Opera and Firefox profiles, hostile profile names)
# and throws away. tl_hold holds a file open the way a running browser does.
add_executable(test_browsers ${CMAKE_CURRENT_SOURCE_DIR}/browsers/BrowserProfilesTest.cpp)
target_link_libraries(test_browsers PRIVATE cleaner_win test_support gtest_main)
target_include_directories(test_browsers PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
add_executable(tl_hold ${CMAKE_CURRENT_SOURCE_DIR}/browsers/HoldFile.cpp)
target_link_options(tl_hold PRIVATE -static)
add_dependencies(test_browsers tl_hold)
add_test(NAME browsers
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/browsers/run-browsers.sh $<TARGET_FILE:test_browsers>
                 ${CMAKE_CURRENT_BINARY_DIR}/browsers-run)
set_tests_properties(browsers PROPERTIES TIMEOUT 300)
# The Windows 10 and 11 traces are checked through the shipped plug-ins the build placed in bin/.
if(TARGET shipped_plugins)
  add_dependencies(test_browsers shipped_plugins)
  target_compile_definitions(test_browsers PRIVATE TL_SHIPPED_PLUGIN_BIN="${CMAKE_BINARY_DIR}/bin")
endif()
