# packager: writes bin/Uninst.exe and then bin/setup.exe from the setup image, the compiled setup
# trees and the product files (host tool, built in the native tree; the Windows tree runs it).
if(NOT TL_WINDOWS)
  add_library(setup_packager STATIC ${CMAKE_CURRENT_LIST_DIR}/Packager.cpp)
  target_include_directories(setup_packager PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(setup_packager PUBLIC setup_core)
  add_executable(packager ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
  target_link_libraries(packager PRIVATE setup_packager)
  return()
endif()
if(NOT TL_HOST_TOOLS_DIR OR NOT TARGET setup_image)
  message(WARNING "packager or setup image not available: setup.exe is not built")
  return()
endif()
set(tl_packager ${TL_HOST_TOOLS_DIR}/packager)
set(tl_bin ${CMAKE_BINARY_DIR}/bin)
set(tl_setup_data ${CMAKE_BINARY_DIR}/data/setup)
set(tl_setup_trees ${tl_setup_data}/lng.lngp ${tl_setup_data}/res.qvdt ${tl_setup_data}/set.qvdt)
add_custom_command(OUTPUT ${tl_bin}/Uninst.exe
  COMMAND ${tl_packager} uninst $<TARGET_FILE:setup_image> ${tl_setup_data} ${tl_bin}/Uninst.exe
  DEPENDS setup_image ${tl_packager} ${tl_setup_trees}
  COMMENT "packager: Uninst.exe" VERBATIM)
add_custom_command(OUTPUT ${tl_bin}/setup.exe
  COMMAND ${tl_packager} setup $<TARGET_FILE:setup_image> ${tl_setup_data} ${tl_bin} ${tl_bin}/setup.exe
  DEPENDS setup_image ${tl_packager} ${tl_setup_trees} ${tl_bin}/Uninst.exe ${tl_bin}/Tracelorn.chm
          Tracelorn TracelornCmd ${TL_POLICY_FILES} ${SHIPPED_PLUGIN_FILES}
  COMMENT "packager: setup.exe" VERBATIM)
add_custom_target(setup_package ALL DEPENDS ${tl_bin}/Uninst.exe ${tl_bin}/setup.exe)
add_dependencies(setup_package setup_data shipped_plugins tl_help)
