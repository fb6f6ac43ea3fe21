# The dialog tests build the real Options and About dialogs from their templates, with the artwork.
include(${CMAKE_SOURCE_DIR}/cleaner/res/res.cmake)
file(GLOB tl_test_dialogs_rc ${CMAKE_SOURCE_DIR}/cleaner/dialogs/*.rc)
target_sources(test_dialogs PRIVATE ${TL_ARTWORK_RC} ${tl_test_dialogs_rc})
add_dependencies(test_dialogs tl_artwork)
