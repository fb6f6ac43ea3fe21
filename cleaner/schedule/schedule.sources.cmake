# Update client: the lists, the decisions and the procedure (neutral); the worker with its WinINet
# session, CNG signature check and its records in the settings key, and the automatic update
# (Win32). The update dialog that shows it lives in the dialogs layer.
# Auto-Kill scheduler: its decisions (neutral); the timer handler and the browser watch (Win32).
list(APPEND CLEANER_CORE_SOURCES
  schedule/SchedulerRules.cpp
  schedule/UpdateAddress.cpp
  schedule/UpdateLists.cpp
  schedule/UpdateProcedure.cpp
  schedule/UpdateProtocol.cpp
)
list(APPEND CLEANER_WIN_SOURCES
  schedule/AutoKillScheduler.cpp
  schedule/AutoUpdate.cpp
  schedule/BrowserWatch.cpp
  schedule/ListSignature.cpp
  schedule/UpdateRecords.cpp
  schedule/UpdateSession.cpp
  schedule/UpdateWorker.cpp
)
# The public key the update lists are checked against: 64 bytes X||Y, as hexadecimal text in a
# file. The test key's public half by default; a maker's build names its own.
set(TL_UPDATE_PUBLIC_KEY ${CMAKE_SOURCE_DIR}/tools/publish/test-update-key.pub CACHE FILEPATH
    "public key of the update lists (hex X||Y)")
file(READ ${TL_UPDATE_PUBLIC_KEY} tl_update_key)
string(STRIP "${tl_update_key}" tl_update_key)
string(TOLOWER "${tl_update_key}" tl_update_key)
if(NOT tl_update_key MATCHES "^[0-9a-f]+$")
  message(FATAL_ERROR "${TL_UPDATE_PUBLIC_KEY}: expected 128 hexadecimal digits")
endif()
string(LENGTH "${tl_update_key}" tl_update_key_length)
if(NOT tl_update_key_length EQUAL 128)
  message(FATAL_ERROR "${TL_UPDATE_PUBLIC_KEY}: expected 128 hexadecimal digits")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," tl_update_key_bytes "${tl_update_key}")
# Included as "schedule/UpdatePublicKey.inc" from the generated folder.
set(tl_update_key_inc ${CMAKE_BINARY_DIR}/generated/schedule/UpdatePublicKey.inc)
file(WRITE ${tl_update_key_inc}.new "${tl_update_key_bytes}\n")
configure_file(${tl_update_key_inc}.new ${tl_update_key_inc} COPYONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TL_UPDATE_PUBLIC_KEY})
include_directories(${CMAKE_BINARY_DIR}/generated)
