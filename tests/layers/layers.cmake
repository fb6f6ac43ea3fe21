# The layers point one way: for every layer folder, a probe that includes a header of the next
# layer up is compiled against that layer's include view alone, and the test passes only when the
# compiler cannot find the upper header. Native tree only (no Wine, one quick compile per layer).
set(tl_probe_dir ${CMAKE_CURRENT_BINARY_DIR}/layer-probes)
set(tl_probe_targets)
set(tl_probe_headers)
set(tl_lower)
foreach(layer ${TL_CLEANER_LAYERS})
  if(NOT TARGET cleaner_${layer}_headers)
    continue()
  endif()
  if(tl_lower)
    file(GLOB upper_headers RELATIVE ${CMAKE_SOURCE_DIR}/cleaner ${CMAKE_SOURCE_DIR}/cleaner/${layer}/*.h)
    list(SORT upper_headers)
    list(GET upper_headers 0 upper)
    file(WRITE ${tl_probe_dir}/${tl_lower}_includes_${layer}.cpp "#include \"${upper}\"\n")
    add_library(layer_probe_${tl_lower} OBJECT EXCLUDE_FROM_ALL ${tl_probe_dir}/${tl_lower}_includes_${layer}.cpp)
    target_link_libraries(layer_probe_${tl_lower} PRIVATE cleaner_${tl_lower}_headers)
    list(APPEND tl_probe_targets layer_probe_${tl_lower})
    list(APPEND tl_probe_headers ${upper})
  endif()
  set(tl_lower ${layer})
endforeach()
add_test(NAME layers
         COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} "-DTARGETS=${tl_probe_targets}"
                 "-DHEADERS=${tl_probe_headers}" -P ${CMAKE_CURRENT_LIST_DIR}/CheckUpwardIncludes.cmake)
