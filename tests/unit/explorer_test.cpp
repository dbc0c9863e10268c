#include "tests/support/sim/explorer.h"

#include <gtest/gtest.h>

#include "tests/support/sim/sim.h"
#include "toolkit/chat_bridge.h"

namespace dizod::sim {
namespace {

void Post(Program& p, const std::string& line) {
  PostChatLine(p.chat, line, [] { return false; });
}

// Every run of up to three actions (user actions, stray ticks, a session end,
// the panel let go before the worker's next step), `max_faults` of which may
// be faults of the chat client, over a Start, a full minute cycle and more.
Report ExploreThreeActions(int max_faults) {
  Bounds bounds;
  bounds.max_actions = 3;
  bounds.horizon_seconds = 140;
  bounds.max_faults = max_faults;
  const Report report = Explore(bounds);
  EXPECT_TRUE(report.complete);
  for (const std::string& v : report.violations) ADD_FAILURE() << v;
  return report;
}

TEST(Explorer, EveryInterleavingOfThreeActionsKeepsThePromises) {
  const Report report = ExploreThreeActions(0);
  EXPECT_GE(report.runs, 30000);
  EXPECT_EQ(report.deepest, 3);
  std::printf("explored %lld runs, %lld distinct states, %lld moments pruned\n",
              static_cast<long long>(report.runs), static_cast<long long>(report.distinct_states),
              static_cast<long long>(report.pruned));
}

// The same, where one of the three may be a fault of the chat client at any
// message sent to it: slow, stalled, hung for good, its room closed, or
// sending its box late.
TEST(Explorer, EveryInterleavingOfThreeActionsWithAFaultyClientKeepsThePromises) {
  EXPECT_GE(ExploreThreeActions(1).runs, 150000);
}

// A state met before is not explored again: sound only if the state names
// everything a run goes on to depend on. With the transcript added, pruning
// must find every outcome that exploring every run finds.
TEST(Explorer, PruningLosesNoOutcome) {
  for (int faults : {0, 1}) {
    Bounds bounds;
    bounds.max_actions = 2;
    bounds.horizon_seconds = 140;
    bounds.max_faults = faults;
    bounds.keep_outcomes = true;
    bounds.pruning = Bounds::Pruning::kNone;
    const Report all = Explore(bounds);
    bounds.pruning = Bounds::Pruning::kStateAndTranscript;
    const Report pruned = Explore(bounds);
    EXPECT_LT(pruned.runs, all.runs) << faults;
    EXPECT_GE(all.outcomes.size(), 400u) << faults;
    EXPECT_EQ(pruned.outcomes, all.outcomes) << faults;
    bounds.pruning = Bounds::Pruning::kState;
    EXPECT_EQ(Explore(bounds).verdicts, all.verdicts) << faults;
  }
}

// The checks themselves catch what they are there for.
TEST(Explorer, ChecksCatchFalseTranscripts) {
  Bounds bounds;
  EXPECT_TRUE(RunSchedule({{0, Action::kStart}, {1, Action::kExit}}, bounds).empty());
  const auto checked = [](const std::function<void(Program&)>& tamper) {
    Program p(36000.0);
    p.panel.ClickAt(10, Control::kCommand1);
    p.Start(150);
    tamper(p);
    return TranscriptViolations(p);
  };
  EXPECT_TRUE(checked([](Program&) {}).empty());
  EXPECT_FALSE(checked([](Program& p) { Post(p, "stray"); }).empty());
  const auto post = [](Program& p, std::initializer_list<const char*> lines) {
    for (const char* line : lines) Post(p, line);
  };
  EXPECT_FALSE(checked([&](Program& p) {
                 post(p, {"º·-.· Kráno Dizod ·.-·º", "º·-.·  Idle - Off  ·.-·º",
                          "º·-.· User Was Idle For 7 minutes ·.-·º"});
               }).empty());
  EXPECT_FALSE(
      checked([&](Program& p) {
        post(p, {"º·-.· Kráno Dizod ·.-·º", "º·-.·  By: Krano  ·.-·º", "º·-.· UnActívated ·.-·º"});
      }).empty());  // signed off, yet the program goes on
}

// The checks of a run against a faulty client catch what they are there for.
TEST(Explorer, FaultChecksCatchBrokenPromises) {
  const auto checked = [](const std::function<void(Program&)>& tamper) {
    Program p(36000.0);
    p.chat.TextOf(p.Box()) = "draft";
    p.chat.Select(p.Box(), 1, 1);
    p.Start(20);
    tamper(p);
    return ClientFaultViolations(p, Draft{"draft", 1, 1});
  };
  EXPECT_TRUE(checked([](Program&) {}).empty());
  // Only the panel's thread is left to send this.
  EXPECT_FALSE(checked([](Program& p) { Post(p, "x"); }).empty());
  EXPECT_FALSE(checked([](Program& p) { p.chat.Select(p.Box(), 0, 0); }).empty());
}

}  // namespace
}  // namespace dizod::sim
