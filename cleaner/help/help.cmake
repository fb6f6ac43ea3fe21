# Tracelorn.chm from the HTML topics in this folder, compiled with chmcmd into bin/ beside the
# program.
if(NOT TARGET tl_help)
  find_program(TL_CHMCMD chmcmd)
  # Every page links the one stylesheet, which the project compiles in beside them.
  file(GLOB tl_help_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.html ${CMAKE_CURRENT_LIST_DIR}/*.css)
  set(tl_help_out ${CMAKE_BINARY_DIR}/bin/Tracelorn.chm)
  if(TL_CHMCMD)
    set(tl_help_work ${CMAKE_BINARY_DIR}/help)
    file(MAKE_DIRECTORY ${tl_help_work})
    add_custom_command(OUTPUT ${tl_help_out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${tl_help_work} ${CMAKE_BINARY_DIR}/bin
      COMMAND ${CMAKE_COMMAND} -E copy ${tl_help_sources} ${CMAKE_CURRENT_LIST_DIR}/Tracelorn.hhp
              ${CMAKE_CURRENT_LIST_DIR}/Tracelorn.hhc ${tl_help_work}
      COMMAND ${TL_CHMCMD} Tracelorn.hhp > chmcmd.log
      COMMAND ${CMAKE_COMMAND} -E copy ${tl_help_work}/Tracelorn.chm ${tl_help_out}
      WORKING_DIRECTORY ${tl_help_work}
      DEPENDS ${tl_help_sources} ${CMAKE_CURRENT_LIST_DIR}/Tracelorn.hhp ${CMAKE_CURRENT_LIST_DIR}/Tracelorn.hhc
      COMMENT "Compiling Tracelorn.chm")
    add_custom_target(tl_help ALL DEPENDS ${tl_help_out})
  else()
    message(WARNING "chmcmd not found: Tracelorn.chm is not built")
    add_custom_target(tl_help)
  endif()
endif()
