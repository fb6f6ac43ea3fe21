# The main window's case builds the window from its template, with the artwork it draws.
include(${CMAKE_SOURCE_DIR}/cleaner/res/res.cmake)
target_sources(test_app PRIVATE ${TL_ARTWORK_RC} ${CMAKE_SOURCE_DIR}/cleaner/app/DlgMain.rc)
add_dependencies(test_app tl_artwork)
