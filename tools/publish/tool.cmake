# tl_publish: the update publisher (host tool, native tree; signs with OpenSSL's libcrypto). The
# Windows tree runs it to write the demo update server folder from the build (data/update).
if(NOT TL_WINDOWS)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  add_executable(tl_publish ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
  target_link_libraries(tl_publish PRIVATE cleaner_core OpenSSL::Crypto)
  set(TL_PUBLISH_COMMAND $<TARGET_FILE:tl_publish>)
  set(TL_PUBLISH_DEPENDS tl_publish)
  # The committed public key is the test key's public half.
  add_test(NAME tl_publish_test_key
           COMMAND sh -c "test \"$($<TARGET_FILE:tl_publish> pubkey ${CMAKE_CURRENT_LIST_DIR}/test-update-key.private.pem)\" = \"$(cat ${CMAKE_CURRENT_LIST_DIR}/test-update-key.pub)\"")
else()
  set(TL_PUBLISH_COMMAND ${TL_HOST_TOOLS_DIR}/tl_publish)
  set(TL_PUBLISH_DEPENDS ${TL_HOST_TOOLS_DIR}/tl_publish)
endif()
include(${CMAKE_SOURCE_DIR}/data/update/update.cmake)
