# The SQLite amalgamation as the static library `sqlite3`, in both trees. Its source is not part of
# the repository: scripts/sqlite.sh puts the pinned version (cmake/sqlite.pin) into the build
# folder that holds both trees, and is run from here when it has not been yet.
get_filename_component(tl_build_root ${CMAKE_BINARY_DIR} DIRECTORY)
set(TL_SQLITE_DIR ${tl_build_root}/deps/sqlite CACHE PATH "Folder with sqlite3.c and sqlite3.h")
if(NOT EXISTS ${TL_SQLITE_DIR}/sqlite3.c)
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/sqlite.sh ${tl_build_root} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT EXISTS ${TL_SQLITE_DIR}/sqlite3.c)
    message(FATAL_ERROR "SQLite source missing in ${TL_SQLITE_DIR}: run scripts/deps.sh")
  endif()
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/sqlite.pin)

add_library(sqlite3 STATIC ${TL_SQLITE_DIR}/sqlite3.c)
target_include_directories(sqlite3 SYSTEM PUBLIC ${TL_SQLITE_DIR})
# Compiled for a cleaner that only reads and rewrites other programs' databases: no extensions
# can be loaded, double-quoted strings are not taken for literals, foreign keys stay as the
# file's own connection would have them (off), and the library may be used from the worker
# thread while the window thread reads a count.
target_compile_definitions(sqlite3 PRIVATE
  SQLITE_THREADSAFE=1
  SQLITE_OMIT_LOAD_EXTENSION
  SQLITE_DQS=0
  SQLITE_DEFAULT_FOREIGN_KEYS=0
  SQLITE_DEFAULT_MEMSTATUS=0
  SQLITE_OMIT_DEPRECATED
  SQLITE_OMIT_SHARED_CACHE
  SQLITE_LIKE_DOESNT_MATCH_BLOBS
  SQLITE_USE_ALLOCA
  SQLITE_ENABLE_DBSTAT_VTAB)
if(TL_WINDOWS)
  # Paths reach the win32 VFS as UTF-8 and go to the wide file functions only.
  target_compile_definitions(sqlite3 PRIVATE SQLITE_WIN32_NO_ANSI SQLITE_OS_WIN=1)
  target_compile_options(sqlite3 PRIVATE -O2 -w)
else()
  find_package(Threads REQUIRED)
  target_link_libraries(sqlite3 PUBLIC Threads::Threads)
  # Under the native tree's sanitizers like everything else, but without debug information: the
  # amalgamation is large and its own tests are not ours.
  target_compile_options(sqlite3 PRIVATE -O2 -g0 -w)
endif()
