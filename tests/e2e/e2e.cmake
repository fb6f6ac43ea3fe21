# End-to-end tests: test_e2e.exe starts the real Tracelorn.exe (bin/ of this tree) under Wine in
# program folders of its own and drives it through its windows. The test command runs the Windows
# tests under Xvfb, which these need.
file(GLOB e2e_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/e2e/*.cpp)
add_executable(test_e2e ${e2e_sources})
# The harness drives the program by its own control ids: the id headers only, none of its code.
# SQLite lets the keep-list case give the browsers' own databases a site of their own.
target_link_libraries(test_e2e PRIVATE cleaner_app_headers test_support gtest_main user32 advapi32 sqlite3)
# The update case reads the shipped plug-ins' sources for the target names it expects.
target_compile_definitions(test_e2e PRIVATE TL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_include_directories(test_e2e PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
add_dependencies(test_e2e Tracelorn TracelornCmd)
# The import case runs on its own (below), in a prefix it lays out and throws away.
add_test(NAME e2e COMMAND test_e2e --gtest_brief=1 --gtest_filter=-ImportE2e.*
         WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(e2e PROPERTIES TIMEOUT 1200)
# The update case fetches from the demo update server folder through the update tests' server.
if(TEST update_server_start)
  set_tests_properties(e2e PROPERTIES FIXTURES_REQUIRED update_server)
endif()

# The run command's remote control (scan, menu, exit), written to bin/ beside the cleaner.
add_executable(tl_remote ${CMAKE_CURRENT_SOURCE_DIR}/e2e/remote/Remote.cpp)
target_link_libraries(tl_remote PRIVATE cleaner_app_headers user32)
target_link_options(tl_remote PRIVATE -static)
set_target_properties(tl_remote PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# The stand-in for a watched program or browser of the Auto-Kill cases, beside test_e2e.exe; the
# tests copy it to the paths the cleaner watches.
add_executable(tl_watched WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/e2e/watched/Watched.cpp)
target_link_options(tl_watched PRIVATE -static)
set_target_properties(tl_watched PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(test_e2e tl_watched)

# A generated and a hostile winapp2.ini imported through the Applications page and killed: the
# drive and the registry of a throw-away prefix before and after must differ by exactly what the
# accepted entries name.
add_test(NAME e2e_import COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/import/run-import.sh
                                 $<TARGET_FILE:test_e2e> ${CMAKE_CURRENT_BINARY_DIR}/import-run)
set_tests_properties(e2e_import PROPERTIES TIMEOUT 300)
