# Tracelorn.exe: the cleaner's GUI program, from the app sources and the resource fragments, linked
# statically and written to bin/ beside the shipped data.
set(tl_program_rc ${CMAKE_CURRENT_SOURCE_DIR}/app/DlgMain.rc ${CMAKE_CURRENT_SOURCE_DIR}/app/Program.rc)
# Each dialog of the dialogs layer brings its own template fragment.
file(GLOB tl_dialogs_rc CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/dialogs/*.rc)
list(APPEND tl_program_rc ${tl_dialogs_rc})
set(TL_ARTWORK_RC)
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/res/res.cmake)
  include(${CMAKE_CURRENT_SOURCE_DIR}/res/res.cmake)
endif()
add_executable(Tracelorn WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/app/WinMain.cpp ${tl_program_rc} ${TL_ARTWORK_RC})
target_link_libraries(Tracelorn PRIVATE cleaner_win)
target_link_options(Tracelorn PRIVATE -static)
set_target_properties(Tracelorn PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
