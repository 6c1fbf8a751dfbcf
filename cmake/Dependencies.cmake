# zlib, minizip and pugixml for every target, and GoogleTest for the suites.
#
# pugixml is compiled for every target from the Debian source package that tools/dev unpacks into the
# build tree, in its compact mode: a parsed worksheet takes about half the memory of the default mode.
# Natively zlib and minizip are Debian's packages. For the Windows targets zlib is Debian's
# libz-mingw-w64-dev and minizip is compiled from the Debian source package of zlib; GoogleTest is
# compiled from /usr/src/googletest. Everything links statically into the DLL, which must load in a
# host that has no MinGW runtime.

set(PUGIXML_SOURCE_DIR ${TABULIX_THIRD_PARTY_DIR}/pugixml/src)
if(NOT EXISTS ${PUGIXML_SOURCE_DIR}/pugixml.cpp)
  message(FATAL_ERROR "${PUGIXML_SOURCE_DIR}/pugixml.cpp is missing: run tools/dev bootstrap to unpack the Debian source packages")
endif()
add_library(tabulix_pugixml STATIC ${PUGIXML_SOURCE_DIR}/pugixml.cpp)
target_include_directories(tabulix_pugixml SYSTEM PUBLIC ${PUGIXML_SOURCE_DIR})
# The mode changes the layout of the library's types, so every user compiles with it too.
target_compile_definitions(tabulix_pugixml PUBLIC PUGIXML_COMPACT)
target_compile_options(tabulix_pugixml PRIVATE -w)

# libdeflate, compiled for every target from its Debian source package: it inflates a part and deflates a
# rewritten one in about half the time zlib takes, at the same size.
set(LIBDEFLATE_SOURCE_DIR ${TABULIX_THIRD_PARTY_DIR}/libdeflate)
if(NOT EXISTS ${LIBDEFLATE_SOURCE_DIR}/libdeflate.h)
  message(FATAL_ERROR "${LIBDEFLATE_SOURCE_DIR}/libdeflate.h is missing: run tools/dev bootstrap to unpack the Debian source packages")
endif()
add_library(tabulix_libdeflate STATIC
  ${LIBDEFLATE_SOURCE_DIR}/lib/deflate_compress.c ${LIBDEFLATE_SOURCE_DIR}/lib/deflate_decompress.c
  ${LIBDEFLATE_SOURCE_DIR}/lib/crc32.c ${LIBDEFLATE_SOURCE_DIR}/lib/utils.c
  ${LIBDEFLATE_SOURCE_DIR}/lib/x86/cpu_features.c ${LIBDEFLATE_SOURCE_DIR}/lib/arm/cpu_features.c)
target_include_directories(tabulix_libdeflate SYSTEM PUBLIC ${LIBDEFLATE_SOURCE_DIR})
target_compile_options(tabulix_libdeflate PRIVATE -w)

if(NOT WIN32)
  find_package(ZLIB REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)

  add_library(tabulix_zlib INTERFACE)
  target_link_libraries(tabulix_zlib INTERFACE ZLIB::ZLIB)
  add_library(tabulix_minizip INTERFACE)
  target_link_libraries(tabulix_minizip INTERFACE PkgConfig::MINIZIP tabulix_zlib)

  if(TABULIX_TESTS)
    find_package(GTest REQUIRED)
    add_library(tabulix_gtest INTERFACE)
    target_link_libraries(tabulix_gtest INTERFACE GTest::gtest GTest::gmock)
    add_library(tabulix_gtest_main INTERFACE)
    target_link_libraries(tabulix_gtest_main INTERFACE GTest::gtest_main GTest::gmock)
  endif()
  return()
endif()

set(MINIZIP_SOURCE_DIR ${TABULIX_THIRD_PARTY_DIR}/zlib/contrib/minizip)
if(NOT EXISTS ${MINIZIP_SOURCE_DIR}/unzip.c)
  message(FATAL_ERROR "${MINIZIP_SOURCE_DIR}/unzip.c is missing: run tools/dev bootstrap to unpack the Debian source packages")
endif()

find_library(TABULIX_STATIC_ZLIB NAMES libz.a REQUIRED)
add_library(tabulix_zlib INTERFACE)
target_link_libraries(tabulix_zlib INTERFACE ${TABULIX_STATIC_ZLIB})

add_library(tabulix_minizip STATIC
  ${MINIZIP_SOURCE_DIR}/ioapi.c ${MINIZIP_SOURCE_DIR}/unzip.c ${MINIZIP_SOURCE_DIR}/zip.c)
# Included as <unzip.h> and <zip.h>, as Debian's native package lets them be.
target_include_directories(tabulix_minizip SYSTEM PUBLIC ${MINIZIP_SOURCE_DIR})
target_compile_definitions(tabulix_minizip PUBLIC NOCRYPT NOUNCRYPT)
target_compile_options(tabulix_minizip PRIVATE -w)
target_link_libraries(tabulix_minizip PUBLIC tabulix_zlib)

if(TABULIX_TESTS)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_library(tabulix_gtest INTERFACE)
  target_link_libraries(tabulix_gtest INTERFACE gtest gmock)
  add_library(tabulix_gtest_main INTERFACE)
  target_link_libraries(tabulix_gtest_main INTERFACE gtest_main gmock)
endif()
