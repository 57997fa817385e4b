# SQLite, built into the programs from the amalgamation that scripts/sqlite.sh puts in
# third_party/sqlite (the repository does not hold it).
set(SWEEPORA_SQLITE_DIR ${CMAKE_SOURCE_DIR}/third_party/sqlite)
foreach(file sqlite3.c sqlite3.h stamp)
  if(NOT EXISTS ${SWEEPORA_SQLITE_DIR}/${file})
    message(FATAL_ERROR "SQLite's amalgamation is missing (${SWEEPORA_SQLITE_DIR}/${file}): "
      "run scripts/sqlite.sh, which fetches and checks the pinned version "
      "(scripts/setup.sh and scripts/build.sh run it).")
  endif()
endforeach()
# A new version made by the script configures again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SWEEPORA_SQLITE_DIR}/stamp)

add_library(sweepora_sqlite STATIC ${SWEEPORA_SQLITE_DIR}/sqlite3.c)
# SYSTEM: our -Werror targets include sqlite3.h without judging it.
target_include_directories(sweepora_sqlite SYSTEM PUBLIC ${SWEEPORA_SQLITE_DIR})
target_compile_definitions(sweepora_sqlite PRIVATE
  # Serialized: a connection may be handed between the engine's threads.
  SQLITE_THREADSAFE=1
  # Browser files are untrusted input: no code from a file, no shared cache, no old APIs.
  SQLITE_OMIT_LOAD_EXTENSION
  SQLITE_OMIT_SHARED_CACHE
  SQLITE_OMIT_DEPRECATED
  # Deleted content is overwritten with zeros on every connection; the wrapper also asks
  # for it by pragma, so this is only the floor.
  SQLITE_SECURE_DELETE
  # No global memory statistics: one lock less on every allocation.
  SQLITE_DEFAULT_MEMSTATUS=0)
# Left at SQLite's defaults on purpose: synchronous FULL, WAL included (a user's browser
# data is worth the few syncs of one cleaning), and double-quoted strings accepted (older
# browser schemas hold them).
# Not our code: none of our warnings, and none of its own.
target_compile_options(sweepora_sqlite PRIVATE -w)

# SQLite's own shell, built only for the benchmark: the same statements run without us
# are the floor our browser cleaning is measured against.
if(EXISTS ${SWEEPORA_SQLITE_DIR}/shell/shell.c)
  add_executable(sqlite3 EXCLUDE_FROM_ALL ${SWEEPORA_SQLITE_DIR}/shell/shell.c)
  target_link_libraries(sqlite3 PRIVATE sweepora_sqlite)
  target_compile_definitions(sqlite3 PRIVATE SQLITE_OMIT_LOAD_EXTENSION SQLITE_OMIT_SHARED_CACHE SQLITE_OMIT_DEPRECATED)
  target_compile_options(sqlite3 PRIVATE -w)
endif()
