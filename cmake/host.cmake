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
  tests/unit/pause_test.cpp
  tests/unit/layout_test.cpp
  tests/unit/panel_handlers_test.cpp
  tests/unit/explorer_test.cpp
  tests/unit/form_test.cpp
  tests/unit/icon_test.cpp
  tools/icon_gen/icon.cpp)
target_link_libraries(dizod_unit_tests PRIVATE dizod_sim GTest::gtest_main)
gtest_discover_tests(dizod_unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

if(DIZOD_BENCH)
  # The deeper exploration, run by bench/run.sh.
  add_executable(dizod_explore bench/explore_main.cpp)
  target_link_libraries(dizod_explore PRIVATE dizod_sim)
endif()
