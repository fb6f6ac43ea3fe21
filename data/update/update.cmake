# The demo update server folder: <build>/update-server/tracelorn/2/ written by tl_publish from the
# shipped plug-ins (<build>/bin/STDPLUGS, APPPLUGS), the banners of this folder and the update key
# (the test key unless TL_UPDATE_PRIVATE_KEY names the maker's). Serving <build>/update-server
# with any static HTTP server makes a working update server (README).
if(NOT TL_WINDOWS OR NOT TARGET shipped_plugins)
  return()
endif()
set(TL_UPDATE_PRIVATE_KEY ${CMAKE_SOURCE_DIR}/tools/publish/test-update-key.private.pem CACHE FILEPATH
    "private key that signs the demo update server's lists")
set(TL_UPDATE_BANNER_VERSION 1 CACHE STRING "banner version of the demo update server")
set(TL_UPDATE_PLUGIN_VERSION 1 CACHE STRING "plug-in set version of the demo update server")
set(TL_UPDATE_SERVER_DIR ${CMAKE_BINARY_DIR}/update-server)
set(tl_update_out ${TL_UPDATE_SERVER_DIR}/tracelorn/2)
set(tl_banner_sources ${CMAKE_CURRENT_LIST_DIR}/banners.txt ${CMAKE_CURRENT_LIST_DIR}/banner1.png
    ${CMAKE_CURRENT_LIST_DIR}/banner2.png)
add_custom_command(OUTPUT ${tl_update_out}/update.prm ${tl_update_out}/updateplg.prm ${tl_update_out}/banner.qbf
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${tl_update_out}
  COMMAND ${TL_PUBLISH_COMMAND} folder ${tl_update_out} ${TL_UPDATE_PRIVATE_KEY} ${CMAKE_BINARY_DIR}/bin
          ${CMAKE_CURRENT_LIST_DIR}/banners.txt ${TL_UPDATE_BANNER_VERSION} ${TL_UPDATE_PLUGIN_VERSION}
  DEPENDS ${TL_PUBLISH_DEPENDS} ${SHIPPED_PLUGIN_FILES} ${tl_banner_sources} ${TL_UPDATE_PRIVATE_KEY}
  COMMENT "tl_publish: update server folder" VERBATIM)
add_custom_target(update_server_folder ALL DEPENDS ${tl_update_out}/update.prm)
add_dependencies(update_server_folder shipped_plugins)
