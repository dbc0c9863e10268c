# The Windows program, its stand-in chat client and the tests that run under
# Wine (or natively on Windows).

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
if(MINGW)
  # One self-contained exe: no libstdc++, libgcc or winpthread DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Small: unused code dropped, symbols stripped.
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections $<$<CONFIG:Release>:-s>)
endif()
if(MSVC)
  # The standard C library's fopen and getenv, not MSVC's _s variants.
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
  # A program's manifest comes from its resource file, as with MinGW: the
  # linker adds none of its own (two manifests do not link).
  add_link_options(/MANIFEST:NO)
endif()

add_library(dizod_win32 STATIC
  chat/win32_text.cpp
  chat/win32_window_ops.cpp
  panel/win32_panel_window.cpp)
target_link_libraries(dizod_win32 PUBLIC dizod_core comctl32)

# The icon is drawn at build time by our own generator, a build tool: when
# cross-compiling it is built for the build machine, not for Windows.
set(DIZOD_ICON ${CMAKE_BINARY_DIR}/dizod.ico)
set(DIZOD_ICON_SOURCES ${CMAKE_SOURCE_DIR}/tools/icon_gen/make_icon.cpp
                       ${CMAKE_SOURCE_DIR}/tools/icon_gen/icon.cpp)
if(CMAKE_CROSSCOMPILING)
  find_program(DIZOD_BUILD_CXX NAMES c++ g++ clang++ REQUIRED)
  set(DIZOD_MAKE_ICON ${CMAKE_BINARY_DIR}/make_icon_build)
  add_custom_command(OUTPUT ${DIZOD_MAKE_ICON}
                     COMMAND ${DIZOD_BUILD_CXX} -std=c++20 -O2 -I${CMAKE_SOURCE_DIR}
                             ${DIZOD_ICON_SOURCES} -o ${DIZOD_MAKE_ICON}
                     DEPENDS ${DIZOD_ICON_SOURCES} ${CMAKE_SOURCE_DIR}/tools/icon_gen/icon.h
                     COMMENT "Building the icon generator for the build machine")
else()
  add_executable(make_icon ${DIZOD_ICON_SOURCES})
  target_include_directories(make_icon PRIVATE ${CMAKE_SOURCE_DIR})
  set(DIZOD_MAKE_ICON make_icon)
endif()
add_custom_command(OUTPUT ${DIZOD_ICON} COMMAND ${DIZOD_MAKE_ICON} ${DIZOD_ICON}
                   DEPENDS ${DIZOD_MAKE_ICON} COMMENT "Drawing the icon")
# Drawn once, ahead of every program that carries it: programs built in
# parallel would each run the commands above and trip over each other.
add_custom_target(dizod_icon DEPENDS ${DIZOD_ICON})
configure_file(app/dizod.rc.in ${CMAKE_BINARY_DIR}/dizod.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/dizod.rc PROPERTIES
  OBJECT_DEPENDS "${DIZOD_ICON};${CMAKE_SOURCE_DIR}/app/dizod.manifest")

add_executable(dizod WIN32 app/win32_main.cpp ${CMAKE_BINARY_DIR}/dizod.rc)
target_link_libraries(dizod PRIVATE dizod_win32)
add_dependencies(dizod dizod_icon)
if(MINGW)
  target_sources(dizod PRIVATE app/win32_terminate_mingw.cpp)
endif()

add_executable(standin_chat WIN32 tools/demo/win32_standin_chat.cpp)
if(MSVC)
  # Its includes are sorted, richedit.h and shellapi.h before windows.h: the
  # Windows SDK's versions of those two expect windows.h already included
  # (MinGW-w64's include what they need).
  target_compile_options(standin_chat PRIVATE /FIwindows.h)
endif()
# Types and clicks into the running panel for the scripted demo (scripts/demo.sh).
add_executable(demo_step tools/demo/win32_demo_step.cpp)
target_include_directories(demo_step PRIVATE ${CMAKE_SOURCE_DIR})
if(MINGW)
  target_link_options(demo_step PRIVATE -municode)
endif()

# The release: dizod-<version>-win32.zip with the program and its readme.
set(DIZOD_ZIP ${CMAKE_BINARY_DIR}/dizod-${PROJECT_VERSION}-win32.zip)
set(DIZOD_STAGE ${CMAKE_BINARY_DIR}/release)
add_custom_target(release
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${DIZOD_STAGE} ${DIZOD_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DIZOD_STAGE}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:dizod> ${CMAKE_SOURCE_DIR}/app/README.txt
          ${DIZOD_STAGE}
  COMMAND ${CMAKE_COMMAND} -E chdir ${DIZOD_STAGE}
          ${CMAKE_COMMAND} -E tar cf ${DIZOD_ZIP} --format=zip dizod.exe README.txt
  COMMAND ${CMAKE_COMMAND} -E sha256sum ${DIZOD_ZIP}
  DEPENDS dizod
  COMMENT "Packing ${DIZOD_ZIP}"
  VERBATIM)

if(DIZOD_BENCH)
  # Benchmarks (bench/run.sh): the driver that measures the program from outside.
  add_executable(dizod_bench bench/win32_bench.cpp bench/driver.cpp)
  target_link_libraries(dizod_bench PRIVATE dizod_win32)
  target_compile_definitions(dizod_bench PRIVATE
    DIZOD_EXE="$<TARGET_FILE_NAME:dizod>" STANDIN_EXE="$<TARGET_FILE_NAME:standin_chat>")
  add_dependencies(dizod_bench dizod standin_chat)
endif()

# GoogleTest built with the same toolchain.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(DIZOD_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${DIZOD_GTEST_SOURCE}/CMakeLists.txt)
  message(STATUS "No GoogleTest sources at ${DIZOD_GTEST_SOURCE}: building the program only")
  return()
endif()
add_subdirectory(${DIZOD_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(NOT MSVC)
  # Not our code: a GCC newer than the GoogleTest release (MSYS2's) may warn
  # about it. It handles MSVC's warnings itself.
  target_compile_options(gtest PRIVATE -Wno-error)
  target_compile_options(gtest_main PRIVATE -Wno-error)
endif()

# The tests carry the program's manifest: the same DPI awareness and controls.
add_executable(dizod_win32_tests
  tests/win32/win32_panel_test.cpp
  ${CMAKE_BINARY_DIR}/dizod.rc)
target_link_libraries(dizod_win32_tests PRIVATE dizod_win32 gtest_main)
add_dependencies(dizod_win32_tests dizod_icon)

add_executable(dizod_e2e_tests tests/e2e/win32_two_process_test.cpp)
target_include_directories(dizod_e2e_tests PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(dizod_e2e_tests PRIVATE gtest_main)
target_compile_definitions(dizod_e2e_tests PRIVATE
  DIZOD_EXE="$<TARGET_FILE_NAME:dizod>" STANDIN_EXE="$<TARGET_FILE_NAME:standin_chat>")
add_dependencies(dizod_e2e_tests dizod standin_chat)

# One test program at a time: they share the display (Xvfb under Wine, the
# desktop on Windows), its focus and its cursor, and under Wine the prefix.
add_test(NAME win32_panel COMMAND dizod_win32_tests)
add_test(NAME e2e COMMAND dizod_e2e_tests WORKING_DIRECTORY $<TARGET_FILE_DIR:dizod_e2e_tests>)
set_tests_properties(win32_panel e2e PROPERTIES RESOURCE_LOCK desktop)
set_tests_properties(win32_panel PROPERTIES TIMEOUT 120)
set_tests_properties(e2e PROPERTIES TIMEOUT 300)
if(CMAKE_CROSSCOMPILING_EMULATOR)
  # Under Wine only: it sets the display's DPI in the prefix's registry, which
  # Wine reads when a process starts; Windows reads it when the user logs on.
  add_test(NAME high_dpi_wine COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/high_dpi.sh
           ${CMAKE_CROSSCOMPILING_EMULATOR}
           WORKING_DIRECTORY $<TARGET_FILE_DIR:dizod_win32_tests>)
  set_tests_properties(high_dpi_wine PROPERTIES RESOURCE_LOCK desktop LABELS wine TIMEOUT 120)
endif()

