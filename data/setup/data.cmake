# Compiles the shipped setup data (set.qvdt, lng.lngp, res.qvdt) from the readable sources in
# data/setup/ with the treedata tool, into <build>/data/setup/. Included by tools/treedata/tool.cmake.
if(NOT TREEDATA_COMMAND OR (TL_WINDOWS AND NOT TL_HOST_TOOLS_DIR))
  message(WARNING "treedata tool not available: setup data not built")
  return()
endif()
set(SETUP_DATA_SOURCE ${CMAKE_SOURCE_DIR}/data/setup)
set(SETUP_DATA_DIR ${CMAKE_BINARY_DIR}/data/setup)
file(MAKE_DIRECTORY ${SETUP_DATA_DIR})
file(GLOB setup_data_inputs CONFIGURE_DEPENDS ${SETUP_DATA_SOURCE}/*.txt ${SETUP_DATA_SOURCE}/*.rtf
     ${SETUP_DATA_SOURCE}/*.png)
set(setup_data_outputs)
foreach(pair "set.txt:set.qvdt" "lng.txt:lng.lngp" "res.txt:res.qvdt")
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 output)
  add_custom_command(OUTPUT ${SETUP_DATA_DIR}/${output}
    COMMAND ${TREEDATA_COMMAND} compile ${SETUP_DATA_SOURCE}/${source} ${SETUP_DATA_DIR}/${output}
    DEPENDS ${TREEDATA_DEPENDS} ${setup_data_inputs}
    COMMENT "treedata: ${output}" VERBATIM)
  list(APPEND setup_data_outputs ${SETUP_DATA_DIR}/${output})
endforeach()
add_custom_target(setup_data ALL DEPENDS ${setup_data_outputs})
