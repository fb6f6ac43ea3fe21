# Today's browsers end to end, in a Wine prefix of their own that run-browsers.sh creates, lays out
# like a Windows 11 user's (Chrome, Edge, Brave, Opera and Firefox profiles, hostile profile names)
# and throws away; its windows need the display the Windows tests run in. tl_hold holds a file open
# the way a running browser does.
# The last case drives the real Tracelorn.exe through the end-to-end harness.
add_executable(test_browsers ${CMAKE_CURRENT_SOURCE_DIR}/browsers/BrowserProfilesTest.cpp
               ${CMAKE_CURRENT_SOURCE_DIR}/e2e/Cleaner.cpp)
target_link_libraries(test_browsers PRIVATE cleaner_win cleaner_app_headers test_support gtest_main user32 advapi32)
target_include_directories(test_browsers PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
add_dependencies(test_browsers Tracelorn)
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
