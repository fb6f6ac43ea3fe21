# TracelornCmd.exe: the console program, linked statically from the same libraries as
# Tracelorn.exe and written to bin/ beside it, with the Group Policy templates under
# bin/PolicyDefinitions/ as they ship.
add_executable(TracelornCmd ${CMAKE_CURRENT_SOURCE_DIR}/console/Main.cpp)
target_link_libraries(TracelornCmd PRIVATE cleaner_win)
target_link_options(TracelornCmd PRIVATE -static -municode)
set_target_properties(TracelornCmd PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

set(tl_policy_source ${CMAKE_SOURCE_DIR}/data/policy)
set(tl_policy_out ${CMAKE_BINARY_DIR}/bin/PolicyDefinitions)
set(TL_POLICY_FILES ${tl_policy_out}/Tracelorn.admx ${tl_policy_out}/en-US/Tracelorn.adml)
set(TL_POLICY_FILES ${TL_POLICY_FILES} PARENT_SCOPE)
add_custom_command(OUTPUT ${TL_POLICY_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${tl_policy_out}/en-US
  COMMAND ${CMAKE_COMMAND} -E copy ${tl_policy_source}/Tracelorn.admx ${tl_policy_out}/Tracelorn.admx
  COMMAND ${CMAKE_COMMAND} -E copy ${tl_policy_source}/en-US/Tracelorn.adml ${tl_policy_out}/en-US/Tracelorn.adml
  DEPENDS ${tl_policy_source}/Tracelorn.admx ${tl_policy_source}/en-US/Tracelorn.adml
  COMMENT "policy templates" VERBATIM)
add_custom_target(tl_policy_templates ALL DEPENDS ${TL_POLICY_FILES})
