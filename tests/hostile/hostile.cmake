# The hostile-target corpus runs in a Wine prefix of its own that run-corpus.sh creates, lays out
# and throws away: a guard that fails must not be able to damage the prefix the other tests share.
file(GLOB hostile_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/hostile/*.cpp)
add_executable(test_hostile ${hostile_sources})
target_link_libraries(test_hostile PRIVATE cleaner_win test_support gtest_main)
target_include_directories(test_hostile PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
add_test(NAME hostile
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/hostile/run-corpus.sh $<TARGET_FILE:test_hostile>
                 ${CMAKE_CURRENT_BINARY_DIR}/hostile-run)
set_tests_properties(hostile PROPERTIES TIMEOUT 300)
