# The skin tests load the real artwork (check boxes, close button, title bands).
include(${CMAKE_SOURCE_DIR}/cleaner/res/res.cmake)
target_sources(test_skin PRIVATE ${TL_ARTWORK_RC})
add_dependencies(test_skin tl_artwork)
