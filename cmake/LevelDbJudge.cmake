# LevelDB 1.23 with snappy 1.1.9, built from the Debian sources scripts/leveldb.sh puts in
# third_party/leveldb, as the tests' judge of the LevelDB databases Sweepora writes and
# reads: the tests open what we wrote with LevelDB's own code, and make databases with it
# for our reader. A test tool only: test programs and bench/ link it, nothing under src/.
# Cross-compiled, so that the check runs inside the Windows test programs, under Wine, on
# the very files Sweepora wrote. Configured only when the sources are there.
set(SWEEPORA_LEVELDB_DIR ${CMAKE_SOURCE_DIR}/third_party/leveldb/leveldb-1.23)
set(SWEEPORA_SNAPPY_DIR ${CMAKE_SOURCE_DIR}/third_party/leveldb/snappy-1.1.9)
if(NOT EXISTS ${CMAKE_SOURCE_DIR}/third_party/leveldb/stamp)
  message(STATUS "LevelDB's sources are missing: no LevelDB judge (scripts/leveldb.sh fetches them)")
  return()
endif()
# New sources unpacked by the script configure again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/third_party/leveldb/stamp)

# snappy's public stub header, made as its own build makes it: Windows has no sys/uio.h.
function(sweepora_snappy_stubs)
  set(HAVE_SYS_UIO_H_01 0)
  set(PROJECT_VERSION_MAJOR 1)
  set(PROJECT_VERSION_MINOR 1)
  set(PROJECT_VERSION_PATCH 9)
  configure_file(${SWEEPORA_SNAPPY_DIR}/snappy-stubs-public.h.in
                 ${CMAKE_BINARY_DIR}/leveldb-judge/snappy-stubs-public.h)
endfunction()
sweepora_snappy_stubs()

set(sweepora_leveldb_sources)
foreach(file
    db/builder.cc db/db_impl.cc db/db_iter.cc db/dbformat.cc db/dumpfile.cc db/filename.cc
    db/log_reader.cc db/log_writer.cc db/memtable.cc db/repair.cc db/table_cache.cc
    db/version_edit.cc db/version_set.cc db/write_batch.cc
    table/block.cc table/block_builder.cc table/filter_block.cc table/format.cc table/iterator.cc
    table/merger.cc table/table.cc table/table_builder.cc table/two_level_iterator.cc
    util/arena.cc util/bloom.cc util/cache.cc util/coding.cc util/comparator.cc util/crc32c.cc
    util/env.cc util/env_windows.cc util/filter_policy.cc util/hash.cc util/logging.cc
    util/options.cc util/status.cc)
  list(APPEND sweepora_leveldb_sources ${SWEEPORA_LEVELDB_DIR}/${file})
endforeach()
foreach(file snappy.cc snappy-sinksource.cc snappy-stubs-internal.cc)
  list(APPEND sweepora_leveldb_sources ${SWEEPORA_SNAPPY_DIR}/${file})
endforeach()

# Not sweepora_options: their code, their warnings, none of them errors.
add_library(sweepora_leveldb_judge STATIC EXCLUDE_FROM_ALL ${sweepora_leveldb_sources})
target_include_directories(sweepora_leveldb_judge SYSTEM PUBLIC
  ${SWEEPORA_LEVELDB_DIR}/include ${SWEEPORA_SNAPPY_DIR} ${CMAKE_BINARY_DIR}/leveldb-judge)
target_include_directories(sweepora_leveldb_judge PRIVATE ${SWEEPORA_LEVELDB_DIR})
target_compile_definitions(sweepora_leveldb_judge PRIVATE
  # What LevelDB's configure would find for MinGW, given here instead of port_config.h:
  # snappy built in, no crc32c library, none of the POSIX file calls.
  LEVELDB_PLATFORM_WINDOWS=1 LEVELDB_HAS_PORT_CONFIG_H=0
  HAVE_SNAPPY=1 HAVE_CRC32C=0 HAVE_FDATASYNC=0 HAVE_FULLFSYNC=0 HAVE_O_CLOEXEC=0
  # Its Windows environment calls the ANSI functions by name; its build defines these.
  UNICODE _UNICODE
  # And snappy's config.h, for GCC on little-endian x86 without assuming SSSE3 or BMI2.
  HAVE_BUILTIN_CTZ=1 HAVE_BUILTIN_EXPECT=1 HAVE_ATTRIBUTE_ALWAYS_INLINE=1 HAVE_WINDOWS_H=1
  SNAPPY_HAVE_SSSE3=0 SNAPPY_HAVE_BMI2=0)
target_compile_options(sweepora_leveldb_judge PRIVATE -w)
