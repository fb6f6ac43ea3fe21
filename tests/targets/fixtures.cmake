# The plug-in tests load the shipped plug-ins the build placed beside Tracelorn.exe.
if(TARGET shipped_plugins)
  add_dependencies(test_targets shipped_plugins)
  target_compile_definitions(test_targets PRIVATE TL_SHIPPED_PLUGIN_BIN="${CMAKE_BINARY_DIR}/bin")
endif()
