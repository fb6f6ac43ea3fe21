# Artwork of the cleaner: make_artwork.py writes the bitmaps, icons and the end sound into the
# build tree; Artwork.rc compiles them. A program adds ${TL_ARTWORK_RC} to its sources.
# Also builds the help file (help/help.cmake).
if(NOT TARGET tl_artwork)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(TL_ARTWORK_DIR ${CMAKE_BINARY_DIR}/artwork)
  set(tl_art_script ${CMAKE_CURRENT_LIST_DIR}/make_artwork.py)
  set(tl_art_files app.ico windows.ico applets.ico tree_custom.ico tree_target.ico tree_category.ico
      opera.ico netscape.ico office.ico flock.ico browsers.ico firefox.ico tray_scan.bmp tabs.bmp
      close.bmp emblem.bmp title_active.bmp title_inactive.bmp tray_kill.bmp help.bmp checkbox.bmp
      header.bmp footer.bmp pages.bmp about.bmp end.wav)
  list(TRANSFORM tl_art_files PREPEND ${TL_ARTWORK_DIR}/ OUTPUT_VARIABLE TL_ARTWORK_FILES)
  add_custom_command(OUTPUT ${TL_ARTWORK_FILES}
    COMMAND ${Python3_EXECUTABLE} ${tl_art_script} ${TL_ARTWORK_DIR}
    DEPENDS ${tl_art_script}
    COMMENT "Generating artwork")
  add_custom_target(tl_artwork DEPENDS ${TL_ARTWORK_FILES})
  set(TL_ARTWORK_DIR ${TL_ARTWORK_DIR} CACHE INTERNAL "generated artwork")
  set(TL_ARTWORK_FILES ${TL_ARTWORK_FILES} CACHE INTERNAL "generated artwork files")
  include(${CMAKE_CURRENT_LIST_DIR}/../help/help.cmake)
endif()
# Source properties belong to the directory that includes this file: set them for each. A target
# in another directory than the first includer also needs add_dependencies(<target> tl_artwork).
set(TL_ARTWORK_RC ${CMAKE_CURRENT_LIST_DIR}/Artwork.rc)
set_source_files_properties(${TL_ARTWORK_RC} PROPERTIES
  OBJECT_DEPENDS "${TL_ARTWORK_FILES}"
  INCLUDE_DIRECTORIES "${TL_ARTWORK_DIR};${CMAKE_CURRENT_LIST_DIR}")
