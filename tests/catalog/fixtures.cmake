# The catalogue tests build catalogues over the shipped plug-ins the build placed beside Tracelorn.exe.
if(TARGET shipped_plugins)
  add_dependencies(test_catalog shipped_plugins)
  target_compile_definitions(test_catalog PRIVATE TL_SHIPPED_PLUGIN_BIN="${CMAKE_BINARY_DIR}/bin")
endif()
