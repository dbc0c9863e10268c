// Explores every interleaving of user actions with the panel's pauses and
// ticks up to a deeper bound than the test suite does, and reports how far it
// got.
//
//   dizod_explore [--actions N] [--faults N] [--horizon SECONDS] [--max-runs N]
//
// --faults: how many of the actions may be faults of the chat client.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/sim/explorer.h"

int main(int argc, char** argv) {
  dizod::sim::Bounds bounds;
  bounds.max_actions = 4;
  bounds.horizon_seconds = 140;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--actions") == 0) bounds.max_actions = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--faults") == 0) bounds.max_faults = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--horizon") == 0) bounds.horizon_seconds = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--max-runs") == 0) bounds.max_runs = std::atoll(argv[i + 1]);
  }
  const auto start = std::chrono::steady_clock::now();
  const dizod::sim::Report report = dizod::sim::Explore(bounds);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "bound: up to %d actions per run, %d of them faults of the client, %.0f virtual "
      "seconds per run\n",
      bounds.max_actions, bounds.max_faults, bounds.horizon_seconds);
  std::printf("runs explored: %lld (%s)\n", static_cast<long long>(report.runs),
              report.complete ? "everything within the bound" : "stopped at --max-runs");
  std::printf("distinct states: %lld, moments pruned as seen: %lld\n",
              static_cast<long long>(report.distinct_states),
              static_cast<long long>(report.pruned));
  std::printf("deepest run: %d actions; time: %.1f s\n", report.deepest, seconds);
  std::printf("violations: %zu\n", report.violations.size());
  for (const std::string& v : report.violations) std::printf("  %s\n", v.c_str());
  return report.violations.empty() ? 0 : 1;
}
