# The portable core's unit tests: the panel's state machine in virtual time,
# the chat room bridge against fake client windows, the worker on real threads.
find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(dizod_unit_tests
  tests/unit/chat_bridge_test.cpp
  tests/unit/idle_panel_test.cpp
  tests/unit/line_handover_test.cpp)
target_link_libraries(dizod_unit_tests PRIVATE dizod_core GTest::gtest_main)
# GCC 12's own <regex> trips its maybe-uninitialized warning when built with
# the sanitizers; the bridge's fake box uses it for its code page.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set_source_files_properties(tests/unit/chat_bridge_test.cpp PROPERTIES
    COMPILE_OPTIONS -Wno-maybe-uninitialized)
endif()
gtest_discover_tests(dizod_unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

# The icon generator, a build tool, under the same warnings (and, in the
# sanitizer build, the same checks) as the rest.
add_executable(make_icon tools/icon_gen/make_icon.cpp tools/icon_gen/icon.cpp)
target_include_directories(make_icon PRIVATE ${CMAKE_SOURCE_DIR})
add_test(NAME make_icon COMMAND make_icon ${CMAKE_BINARY_DIR}/dizod.ico)
