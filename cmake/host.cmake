# Unit tests of the portable core against the simulated platform.
find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(dizod_unit_tests
  tests/unit/sim.cpp
  tests/unit/announcements.cpp
  tests/unit/explorer.cpp
  tests/unit/explorer_test.cpp
  tests/unit/chat_bridge_test.cpp
  tests/unit/pause_test.cpp
  tests/unit/layout_test.cpp
  tests/unit/idle_panel_test.cpp
  tests/unit/icon_test.cpp
  tools/icon_gen/icon.cpp)
target_link_libraries(dizod_unit_tests PRIVATE dizod_core GTest::gtest_main)
gtest_discover_tests(dizod_unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

# The deeper exploration, run by hand (bench/README.md).
add_executable(dizod_explore bench/explore_main.cpp tests/unit/sim.cpp
  tests/unit/announcements.cpp tests/unit/explorer.cpp)
target_link_libraries(dizod_explore PRIVATE dizod_core)
