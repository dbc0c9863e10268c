# The Windows program, its stand-in chat client and the tests that run under
# Wine (or natively on Windows).

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
if(MINGW)
  # One self-contained exe: no libstdc++, libgcc or winpthread DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Small: unused code dropped, symbols stripped.
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections $<$<CONFIG:Release>:-s>)
endif()

add_library(dizod_win32 STATIC
  toolkit/win32_text.cpp
  toolkit/win32_window_ops.cpp
  toolkit/win32_clock_pump.cpp
  panel/win32_panel_window.cpp)
target_link_libraries(dizod_win32 PUBLIC dizod_core comctl32)

# The icon is drawn at build time by our own generator.
add_executable(make_icon tools/icon_gen/make_icon.cpp tools/icon_gen/icon.cpp)
target_include_directories(make_icon PRIVATE ${CMAKE_SOURCE_DIR})
set(DIZOD_ICON ${CMAKE_BINARY_DIR}/dizod.ico)
add_custom_command(OUTPUT ${DIZOD_ICON} COMMAND make_icon ${DIZOD_ICON} DEPENDS make_icon
                   COMMENT "Drawing the icon")
configure_file(app/dizod.rc.in ${CMAKE_BINARY_DIR}/dizod.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/dizod.rc PROPERTIES
  OBJECT_DEPENDS "${DIZOD_ICON};${CMAKE_SOURCE_DIR}/app/dizod.manifest")

add_executable(dizod WIN32 app/win32_main.cpp ${CMAKE_BINARY_DIR}/dizod.rc)
target_link_libraries(dizod PRIVATE dizod_win32)
if(MSVC)
  # The manifest comes from the resource file.
  target_link_options(dizod PRIVATE /MANIFEST:NO)
endif()

add_executable(standin_chat WIN32 tools/standin_chat/win32_standin_chat.cpp)

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

add_executable(dizod_win32_tests tests/win32/win32_panel_test.cpp)
target_link_libraries(dizod_win32_tests PRIVATE dizod_win32 gtest_main)

add_executable(dizod_e2e_tests
  tests/e2e/driver.cpp
  tests/e2e/startup_e2e_test.cpp
  tests/e2e/idle_e2e_test.cpp
  tests/e2e/exit_about_e2e_test.cpp)
target_include_directories(dizod_e2e_tests PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(dizod_e2e_tests PRIVATE gtest_main)
target_compile_definitions(dizod_e2e_tests PRIVATE
  DIZOD_EXE="$<TARGET_FILE_NAME:dizod>" STANDIN_EXE="$<TARGET_FILE_NAME:standin_chat>")
add_dependencies(dizod_e2e_tests dizod standin_chat)

# Wine runs one test program at a time: they share the display and the prefix.
add_test(NAME win32_panel COMMAND dizod_win32_tests)
add_test(NAME e2e COMMAND dizod_e2e_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(win32_panel e2e PROPERTIES RESOURCE_LOCK wine)
set_tests_properties(win32_panel PROPERTIES TIMEOUT 120)
set_tests_properties(e2e PROPERTIES TIMEOUT 900)
