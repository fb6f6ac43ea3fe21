# test_setup_install: the install engine and the uninstaller against the packed setup.exe, in a
# Wine prefix of their own (see run.sh).
file(GLOB setup_install_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(test_setup_install ${setup_install_sources})
target_link_libraries(test_setup_install PRIVATE setup_engine test_support gtest_main)
target_include_directories(test_setup_install PRIVATE ${CMAKE_SOURCE_DIR}/tests)
add_dependencies(test_setup_install setup_package)
add_test(NAME setup_install
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run.sh ${CMAKE_BINARY_DIR}/setup-install-prefix
                 $<TARGET_FILE:test_setup_install> --gtest_brief=1
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
set_tests_properties(setup_install PROPERTIES TIMEOUT 300)
