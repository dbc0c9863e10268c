#include "tests/support/sim/explorer.h"

#include <gtest/gtest.h>

#include "tests/support/sim/sim.h"
#include "toolkit/chat_bridge.h"

namespace dizod::sim {
namespace {

void Post(Program& p, const std::string& line) {
  PostChatLine(p.chat, line, [] { return false; });
}

// Every order of up to three user actions (or stray ticks) over a Start, a full
// minute cycle and more: the chat stays truthful and the panel consistent.
// Every run of up to three actions, `max_faults` of which may be faults of the
// chat client, over a Start, a full minute cycle and more.
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
  EXPECT_GE(report.runs, 10000);
  EXPECT_EQ(report.deepest, 3);
  std::printf("explored %lld runs, %lld distinct states, %lld moments pruned\n",
              static_cast<long long>(report.runs), static_cast<long long>(report.distinct_states),
              static_cast<long long>(report.pruned));
}

// The same, where one of the three may be a fault of the chat client at any
// message sent to it: slow, stalled, hung for good or its room closed.
TEST(Explorer, EveryInterleavingOfThreeActionsWithAFaultyClientKeepsThePromises) {
  EXPECT_GE(ExploreThreeActions(1).runs, 100000);
}

// Schedules the explorer once found breaking the panel, kept as they were:
// Exit or close ran inside a pause that ran out meanwhile, and the sequence
// they interrupted went on posting after the sign-off.
TEST(Explorer, SchedulesThatOnceFailed) {
  for (const Schedule& schedule : {Schedule{{0, Action::kExit}}, Schedule{{1, Action::kClose}}}) {
    EXPECT_TRUE(RunSchedule(schedule, Bounds{}).empty()) << Describe(schedule);
  }
}

// A run whose end came after the idle loop's deadline while an About was
// being posted: the loop, finding its pause run out, posted after the end.
TEST(Explorer, RunEndingOnTheLoopsDeadlineDuringAnAbout) {
  Bounds bounds;
  bounds.horizon_seconds = 140;
  const Schedule schedule{{0, Action::kStart},
                          {76, Action::kStop},
                          {77, Action::kStart},
                          {80, Action::kReason},
                          {147, Action::kAbout}};
  EXPECT_TRUE(RunSchedule(schedule, bounds).empty()) << Describe(schedule);
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
