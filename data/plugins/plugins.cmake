# Compiles data/plugins/std/*.txt into <build>/bin/STDPLUGS/*.tlp and data/plugins/app/*.txt into
# <build>/bin/APPPLUGS/*.tlp (beside Tracelorn.exe). SHIPPED_PLUGIN_FILES lists the outputs.
if(NOT PLUGC_COMMAND OR (TL_WINDOWS AND NOT TL_HOST_TOOLS_DIR))
  message(WARNING "plugc tool not available: plug-ins not built")
  return()
endif()
set(SHIPPED_PLUGIN_BIN ${CMAKE_BINARY_DIR}/bin)
# An empty normal variable: unset, the cached list of the last configure would show through and
# keep files that are no longer shipped.
set(SHIPPED_PLUGIN_FILES "")
foreach(pair "std:STDPLUGS" "app:APPPLUGS")
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 sub)
  list(GET pair 1 folder)
  file(MAKE_DIRECTORY ${SHIPPED_PLUGIN_BIN}/${folder})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/plugins/${sub}/*.txt)
  set(folder_outputs "")
  foreach(src ${sources})
    get_filename_component(stem ${src} NAME_WE)
    set(out ${SHIPPED_PLUGIN_BIN}/${folder}/${stem}.tlp)
    add_custom_command(OUTPUT ${out}
      COMMAND ${PLUGC_COMMAND} compile ${src} ${out}
      DEPENDS ${PLUGC_DEPENDS} ${src}
      COMMENT "plugc: ${folder}/${stem}.tlp" VERBATIM)
    list(APPEND SHIPPED_PLUGIN_FILES ${out})
    list(APPEND folder_outputs ${out})
  endforeach()
  # A plug-in whose source is gone must not stay beside the program (nor reach the update folder
  # or the setup payload) from an earlier build.
  file(GLOB stale ${SHIPPED_PLUGIN_BIN}/${folder}/*.tlp)
  if(folder_outputs)
    list(REMOVE_ITEM stale ${folder_outputs})
  endif()
  if(stale)
    file(REMOVE ${stale})
  endif()
endforeach()
set(SHIPPED_PLUGIN_FILES ${SHIPPED_PLUGIN_FILES} CACHE INTERNAL "compiled shipped plug-ins")
add_custom_target(shipped_plugins ALL DEPENDS ${SHIPPED_PLUGIN_FILES})
