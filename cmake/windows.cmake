# The Windows side: the stub, and the Win32 test programs driven under Wine.
# Configured by cmake/native.cmake with a mingw-w64 toolchain file, once per architecture.

enable_language(RC)
set(QM_STUB_NAME stub CACHE STRING "file name of the padded stub, without .exe")
set(QM_OUTPUT_DIR ${CMAKE_BINARY_DIR}/bin CACHE PATH "where the padded stub and the test programs go")

qm_sources(stub_sources win32 startup fileio archive extract ui)
add_executable(stub_image WIN32 ${stub_sources} resources/stub.rc)
set_target_properties(stub_image PROPERTIES OUTPUT_NAME ${QM_STUB_NAME}-unpadded)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(entry_symbol _stub_entry)
else()
  set(entry_symbol stub_entry)
endif()
# No C runtime and no C++ runtime: the stub brings its own entry and its few memory
# helpers, and imports only system DLLs. libgcc supplies 64-bit arithmetic on i686.
target_compile_options(stub_image PRIVATE -Os -ffunction-sections
  -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-ident -fno-stack-protector
  -fno-builtin -fno-tree-loop-distribute-patterns)
target_link_options(stub_image PRIVATE -nostdlib -nostartfiles -s -Wl,--gc-sections
  -Wl,-e,${entry_symbol} -Wl,--file-alignment,512 -Wl,--section-alignment,4096
  -Wl,--disable-dynamicbase -Wl,--disable-reloc-section)
target_link_libraries(stub_image PRIVATE kernel32 user32 gdi32 shell32 gcc)

add_custom_command(TARGET stub_image POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DINPUT=$<TARGET_FILE:stub_image>
          -DOUTPUT=${QM_OUTPUT_DIR}/${QM_STUB_NAME}.exe -DSTUB_SIZE=${STUB_SIZE}
          -P ${CMAKE_SOURCE_DIR}/cmake/pad_stub.cmake
  VERBATIM)

# Win32 test programs (the driver and the platform checks): ordinary console programs.
file(GLOB wine_programs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*.c)
if(QM_BUILD_WINE_TESTS)
  qm_sources(win32_fileio_sources win32 fileio)
  add_library(qm_win32_fileio STATIC ${win32_fileio_sources})
  foreach(src ${wine_programs})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE qm_win32_fileio user32 gdi32 kernel32)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QM_OUTPUT_DIR}/wine)
  endforeach()
endif()
