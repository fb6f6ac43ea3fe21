# The update tests run against a real HTTP server on 127.0.0.1 (update_server.py), started before
# and stopped after the tests that need it (these and the end-to-end tests). The tests sign lists
# of their own with the test key (exported by tl_publish as hex X||Y||d) and build the update
# dialog and the main window from their templates.
include(${CMAKE_SOURCE_DIR}/cleaner/res/res.cmake)
target_sources(test_schedule PRIVATE ${TL_ARTWORK_RC} ${CMAKE_SOURCE_DIR}/cleaner/app/DlgMain.rc
               ${CMAKE_SOURCE_DIR}/cleaner/dialogs/DlgUpdate.rc)
add_dependencies(test_schedule tl_artwork)
set(tl_test_key ${CMAKE_CURRENT_BINARY_DIR}/test-update-key.raw)
add_custom_command(OUTPUT ${tl_test_key}
  COMMAND ${TL_HOST_TOOLS_DIR}/tl_publish rawkey ${CMAKE_SOURCE_DIR}/tools/publish/test-update-key.private.pem > ${tl_test_key}
  DEPENDS ${TL_HOST_TOOLS_DIR}/tl_publish ${CMAKE_SOURCE_DIR}/tools/publish/test-update-key.private.pem
  COMMENT "test update key")
add_custom_target(test_update_key ALL DEPENDS ${tl_test_key})
add_dependencies(test_schedule test_update_key)
if(TARGET update_server_folder)
  add_dependencies(test_schedule update_server_folder)
endif()

set(tl_update_server ${CMAKE_CURRENT_LIST_DIR}/update_server.sh)
add_test(NAME update_server_start
         COMMAND sh ${tl_update_server} start ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_BINARY_DIR}/update-server)
add_test(NAME update_server_stop COMMAND sh ${tl_update_server} stop ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(update_server_start PROPERTIES FIXTURES_SETUP update_server)
set_tests_properties(update_server_stop PROPERTIES FIXTURES_CLEANUP update_server)
set_tests_properties(schedule PROPERTIES FIXTURES_REQUIRED update_server)
