# The native side: the reading and extraction code over the POSIX backend, the archive
# writer, the command line tool, the tests and the benchmarks. The two stubs are built
# by configuring this tree again with a mingw-w64 toolchain, once per architecture.

enable_language(CXX)
include(ExternalProject)
option(QM_BUILD_STUBS "build the Windows stubs with mingw-w64" ON)
option(QM_BUILD_TESTS "build the native tests" ON)
option(QM_SANITIZE "build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(QM_FUZZ "build the fuzz targets (clang: libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)" OFF)

if(QM_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(QM_FUZZ)
  # Everything is instrumented for coverage; only the fuzz targets link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The reader: everything the stub runs that is not window code, over the POSIX backend.
# Each program that links it supplies the host (startup/host.h).
qm_sources(reader_sources posix startup fileio archive extract ui)
add_library(qm_reader STATIC ${reader_sources})

# The writer: encoder, blocks and header, sharing the reader's CRC, model and key stream.
qm_sources(writer_sources posix writer)
if(writer_sources)
  add_library(qm_writer STATIC ${writer_sources})
  target_link_libraries(qm_writer PUBLIC qm_reader)
endif()

qm_sources(cli_sources posix cli)
if(cli_sources)
  add_executable(quillmere ${cli_sources})
  target_link_libraries(quillmere PRIVATE qm_writer qm_reader)
endif()

if(QM_BUILD_STUBS)
  foreach(arch i686 x86_64)
    if(arch STREQUAL "i686")
      set(name stub32)
    else()
      set(name stub64)
    endif()
    # The test programs run under Wine, which here runs only 64-bit programs.
    set(wine_tests OFF)
    if(arch STREQUAL "x86_64")
      set(wine_tests ON)
    endif()
    ExternalProject_Add(${name}
      SOURCE_DIR ${CMAKE_SOURCE_DIR}
      BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
      CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake
                 -DCMAKE_BUILD_TYPE=MinSizeRel -DQM_STUB_NAME=${name}
                 -DQM_OUTPUT_DIR=${CMAKE_BINARY_DIR}/bin -DSTUB_SIZE=${STUB_SIZE}
                 -DQM_BUILD_WINE_TESTS=${wine_tests}
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON
      BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/bin/${name}.exe)
  endforeach()
endif()

if(QM_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests)
endif()
if(QM_FUZZ)
  enable_testing()
  add_subdirectory(tests/fuzz)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
  add_subdirectory(bench)
endif()
