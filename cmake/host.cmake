# The portable core against a simulated platform: unit tests, and the
# explorer of interleavings.
find_package(GTest REQUIRED)
include(GoogleTest)

add_library(dizod_sim STATIC
  tests/support/sim/sim.cpp
  tests/support/sim/announcements.cpp
  tests/support/sim/explorer.cpp)
target_link_libraries(dizod_sim PUBLIC dizod_core)

add_executable(dizod_unit_tests
  tests/unit/chat_bridge_test.cpp
  tests/unit/chat_worker_test.cpp
  tests/unit/pause_test.cpp
  tests/unit/panel_handlers_test.cpp
  tests/unit/explorer_test.cpp)
target_link_libraries(dizod_unit_tests PRIVATE dizod_sim GTest::gtest_main)
gtest_discover_tests(dizod_unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

if(DIZOD_BENCH)
  # The deeper exploration, run by bench/run.sh.
  add_executable(dizod_explore bench/explore_main.cpp)
  target_link_libraries(dizod_explore PRIVATE dizod_sim)
endif()

# The icon generator, a build tool, under the same warnings (and, in the
# sanitizer build, the same checks) as the rest.
add_executable(make_icon tools/icon_gen/make_icon.cpp tools/icon_gen/icon.cpp)
target_include_directories(make_icon PRIVATE ${CMAKE_SOURCE_DIR})
add_test(NAME make_icon COMMAND make_icon ${CMAKE_BINARY_DIR}/dizod.ico)
