#include "panel/panel_handlers.h"

#include <gtest/gtest.h>

#include "tests/support/sim/announcements.h"
#include "tests/support/sim/sim.h"

namespace dizod {
namespace {

using sim::Announcement;
using sim::Program;

constexpr Control kStart = Control::kCommand1;
constexpr Control kStop = Control::kCommand2;
constexpr Control kExit = Control::kCommand3;

std::vector<double> Times(const Program& p) {
  std::vector<double> times;
  for (const auto& line : p.chat.Posted()) times.push_back(line.time);
  return times;
}

std::vector<Announcement> Split(const Program& p) {
  const auto split = sim::SplitAnnouncements(p.Lines());
  EXPECT_TRUE(split.has_value()) << "transcript is not whole announcements";
  return split.value_or(std::vector<Announcement>{});
}

// The buttons and the timer agree with each other and idle is as expected.
void ExpectIdle(Program& p, bool on) {
  EXPECT_EQ(p.panel.Enabled(kStart), !on);
  EXPECT_EQ(p.panel.Enabled(kStop), on);
  EXPECT_EQ(p.panel.Enabled(Control::kTimer1), on);
}

const std::string kBanner(sim::text::kBanner);
const std::string kWideBanner(sim::text::kWideBanner);
const std::string kByLine(sim::text::kByLine);
const std::string kActivated(sim::text::kActivated);
const std::string kIdleOn(sim::text::kIdleOn);
const std::string kIdleOff(sim::text::kIdleOff);

TEST(StartUp, PostsTheStartupLinesOneSecondApartWithIdleOff) {
  Program p(36000.0);
  p.Start(100);
  EXPECT_EQ(p.Lines(), (std::vector<std::string>{kBanner, kByLine, kActivated}));
  EXPECT_EQ(Times(p), (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(p.panel.KeepOnTopCalls(), 1);
  ExpectIdle(p, false);
  EXPECT_EQ(p.panel.Text(Control::kText2), "0");
  EXPECT_EQ(p.panel.Text(Control::kText1), "Reason");
  EXPECT_FALSE(p.panel.Quit());
}

TEST(StartUp, WithoutAChatRoomStillMakesBothPauses) {
  Program p(36000.4, /*with_room=*/false);
  // Marks: 36000 (pause ends at 0.6), then 36001 (ends at 1.6).
  p.panel.ClickAt(1.2, kStart);
  p.panel.At(1.5, [&] { EXPECT_TRUE(p.panel.Enabled(kStart)); });
  p.panel.At(1.7, [&] { EXPECT_FALSE(p.panel.Enabled(kStart)); });
  p.Start(100);
  EXPECT_EQ(p.chat.TotalMessages(), 0);
  ExpectIdle(p, true);
}

TEST(IdleMode, FullTranscriptOfTwoIdlePeriods) {
  Program p(36000.0);
  p.panel.SetText(Control::kText1, "lunch");
  p.panel.ClickAt(10, kStart);
  p.panel.ClickAt(150, kStop);
  p.panel.ClickAt(160, kStart);
  p.panel.ClickAt(230, kStop);
  p.Start(400);

  const std::string reason = "º·-.· Reason: lunch ·.-·º";
  const std::vector<std::vector<std::string>> announcements = {
      {kBanner, kByLine, kActivated},
      {kWideBanner, kIdleOn, reason},
      {kBanner, reason, "º·-.· User Has Been Idle For: 1 minutes ·.-·º"},
      {kBanner, reason, "º·-.· User Has Been Idle For: 2 minutes ·.-·º"},
      {kBanner, kIdleOff, "º·-.· User Was Idle For 2 minutes ·.-·º"},
      {kWideBanner, kIdleOn, reason},
      {kBanner, reason, "º·-.· User Has Been Idle For: 1 minutes ·.-·º"},
      {kBanner, kIdleOff, "º·-.· User Was Idle For 1 minutes ·.-·º"},
  };
  std::vector<std::string> expected;
  for (const auto& a : announcements) expected.insert(expected.end(), a.begin(), a.end());
  EXPECT_EQ(p.Lines(), expected);
  EXPECT_EQ(Times(p),
            (std::vector<double>{0,   1,   2,   10,  11,  12,  75,  76,  77,  140, 141, 142,
                                 150, 151, 152, 160, 161, 162, 225, 226, 227, 230, 231, 232}));
  ExpectIdle(p, false);
  EXPECT_EQ(p.panel.Text(Control::kText2), "0");
  EXPECT_FALSE(p.handlers.LoopRunning());
}

TEST(IdleMode, ReasonIsPostedExactlyAsTypedAndReadAtEachPost) {
  Program p(36000.0);
  p.panel.SetText(Control::kText1, "");
  p.panel.ClickAt(10, kStart);
  p.panel.At(30, [&] { p.panel.SetText(Control::kText1, "  back soon  "); });
  p.Start(80);
  const auto lines = p.Lines();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[5], "º·-.· Reason:  ·.-·º");
  EXPECT_EQ(lines[7], "º·-.· Reason:   back soon   ·.-·º");
}

TEST(IdleMode, WithoutAChatRoomTheCounterKeepsTheSameTime) {
  Program with(36000.0), without(36000.0, false);
  for (Program* p : {&with, &without}) {
    p->panel.ClickAt(10, kStart);
    p->panel.At(300, [p] { p->panel.SetText(Control::kText1, p->panel.Text(Control::kText2)); });
    p->Start(301);
  }
  EXPECT_EQ(without.chat.TotalMessages(), 0);
  EXPECT_EQ(without.panel.Text(Control::kText1), "4");
  EXPECT_EQ(with.panel.Text(Control::kText1), "4");
}

TEST(IdleMode, AFullDayOfCyclesCountsExactlyWithoutGrowing) {
  Program p(50000.3);  // spans midnight
  p.panel.ClickAt(10, kStart);
  p.panel.ClickAt(86400 + 10.5, kStop);
  p.Start(86400 + 20);
  const auto announcements = Split(p);
  int minutes = 0;
  for (const auto& a : announcements) {
    if (a.kind == Announcement::kMinute) {
      EXPECT_EQ(a.detail, std::to_string(++minutes));
    }
  }
  EXPECT_GE(minutes, 1320);  // one every 65 s or so
  EXPECT_LE(minutes, 1330);
  ASSERT_FALSE(announcements.empty());
  ASSERT_EQ(announcements.back().kind, Announcement::kIdleOff);
  EXPECT_EQ(announcements.back().detail, std::to_string(minutes));
  EXPECT_LE(p.panel.MaxDepth(), 3);
}

TEST(IdleModeOrder, FirstMinuteComesAfterStartHasReturned) {
  for (double fraction : {0.0, 0.3, 0.5, 0.7, 0.95}) {
    Program p(36001.0 + fraction);
    p.panel.ClickAt(10, kStart);
    p.Start(200);
    ASSERT_GE(p.Lines().size(), 9u);
    EXPECT_EQ(p.Lines()[6], kBanner);
    const double after = p.chat.Posted()[6].time - 10;
    EXPECT_GE(after, 63.5) << fraction;
    EXPECT_LE(after, 67.5) << fraction;
    EXPECT_EQ(p.Lines()[8], "º·-.· User Has Been Idle For: 1 minutes ·.-·º");
  }
}

// The cycle interrupted by Stop must not count nor post afterwards,
// and a new Start is timed from itself.
TEST(IdleModeOrder, CycleInterruptedByStopNeverResumes) {
  Program p(36000.0);
  p.panel.ClickAt(10, kStart);
  p.panel.ClickAt(100, kStop);  // one cycle done (75-77), the next one waiting
  p.Start(400);
  const auto a = Split(p);
  ASSERT_EQ(a.size(), 4u);
  EXPECT_EQ(a[2].kind, Announcement::kMinute);
  EXPECT_EQ(a[3].kind, Announcement::kIdleOff);
  EXPECT_EQ(a[3].detail, "1");
  EXPECT_EQ(p.panel.Text(Control::kText2), "0");
  EXPECT_FALSE(p.handlers.LoopRunning());
}

TEST(IdleModeOrder, StartAgainBeforeTheOldPauseEndsIsTimedFromItself) {
  for (double restart : {102.5, 103.0, 110.0, 139.0}) {
    Program p(36000.0);
    p.panel.ClickAt(10, kStart);
    p.panel.ClickAt(100, kStop);
    p.panel.ClickAt(restart, kStart);
    p.Start(restart + 100);
    const auto a = Split(p);
    ASSERT_EQ(a.size(), 6u) << restart;
    EXPECT_EQ(a[4].kind, Announcement::kIdleOn);
    EXPECT_EQ(a[5].kind, Announcement::kMinute);
    EXPECT_EQ(a[5].detail, "1");
    const double idle_on = p.chat.Posted()[12].time, minute = p.chat.Posted()[15].time;
    EXPECT_GE(minute - idle_on, 63.5) << restart;
    EXPECT_LE(minute - idle_on, 67.5) << restart;
  }
}

// Clicks during another handler's lines run after those lines.
TEST(IdleModeOrder, ClicksDuringASequenceRunAfterIt) {
  Program p(36000.0);
  p.panel.ClickAt(10, kStart);
  p.panel.ClickAt(76.5, kStop);   // during the minute announcement
  p.panel.ClickAt(78.5, kStart);  // during Stop's lines
  p.panel.AboutAt(79.5);          // during Stop's lines: after Start, which is queued first
  p.Start(200);
  const auto a = Split(p);
  ASSERT_EQ(a.size(), 7u);
  EXPECT_EQ(a[2].kind, Announcement::kMinute);
  EXPECT_EQ(a[3].kind, Announcement::kIdleOff);
  EXPECT_EQ(a[3].detail, "1");
  EXPECT_EQ(a[4].kind, Announcement::kIdleOn);
  EXPECT_EQ(a[5].kind, Announcement::kStartup);
  EXPECT_EQ(a[6].kind, Announcement::kMinute);
  EXPECT_EQ(a[6].detail, "1");
  ExpectIdle(p, true);
}

// A counter that is not a whole number counts from 0.
TEST(IdleModeOrder, CounterThatIsNotANumberCountsFromZero) {
  EXPECT_EQ(ParseCount("41"), 41u);
  EXPECT_EQ(ParseCount(" 7 "), 7u);
  for (const char* bad :
       {"", " ", "abc", "1.5", "-3", "+3", "12x", "99999999999999999999", "18446744073709551615"}) {
    EXPECT_EQ(ParseCount(bad), 0u) << bad;
  }
  Program p(36000.0);
  p.panel.ClickAt(10, kStart);
  p.panel.At(30, [&] { p.panel.SetText(Control::kText2, "not a number"); });
  p.Start(100);
  EXPECT_EQ(p.Lines().back(), "º·-.· User Has Been Idle For: 1 minutes ·.-·º");
  EXPECT_FALSE(p.panel.Quit());
}

// Exit and close sign off at once, close with the panel already off the screen.
// A client that takes 3 s over every message would hold a sign-off up for
// 20 s: the program stops waiting and is gone 5.5 s after Exit.
TEST(ExitAndClose, SlowClientDoesNotHoldUpTheEnd) {
  Program p(36000.0);
  p.panel.At(20, [&] {
    p.chat.next_fault = [] { return sim::Fault::kSlow; };
    p.panel.Click(kExit);
  });
  p.Start(100);
  EXPECT_TRUE(p.panel.Quit());
  EXPECT_DOUBLE_EQ(p.panel.QuitAt(), 25.5);
  // The banner was on its way when time ran out; it still reached the room.
  ASSERT_EQ(p.Lines().size(), 4u);
  EXPECT_EQ(p.Lines()[3], kBanner);
}

// The client stalls 12 s inside the sign-off banner's Enter: the panel
// stops waiting for it 5 s later, at 25 s, and the deadline at 25.5 s falls
// in the pause before the next line: the program ends at the deadline.
TEST(ExitAndClose, ADeadlineInThePauseBetweenLinesEndsTheProgramOnTime) {
  Program p(36000.0);
  p.panel.At(20, [&] {
    int message = 0;
    p.chat.next_fault = [message]() mutable {
      return ++message == 3 ? sim::Fault::kStall : sim::Fault::kNone;
    };
    p.panel.Click(kExit);
  });
  p.Start(100);
  EXPECT_TRUE(p.panel.Quit());
  EXPECT_DOUBLE_EQ(p.panel.QuitAt(), 25.5);
}

TEST(ExitAndClose, WhileIdlePostOnlyTheSignOffAndEnd) {
  for (bool close : {false, true}) {
    Program p(36000.0);
    p.panel.ClickAt(10, kStart);
    if (close) {
      p.panel.CloseAt(100);
    } else {
      p.panel.ClickAt(100, kExit);
    }
    p.Start(300);
    const auto lines = p.Lines();
    ASSERT_EQ(lines.size(), 12u) << close;
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 9, lines.end()),
              (std::vector<std::string>{kBanner, kByLine, "º·-.· UnActívated ·.-·º"}));
    EXPECT_TRUE(p.panel.Quit());
    EXPECT_EQ(p.panel.Hidden(), close);
    EXPECT_FALSE(p.panel.Enabled(Control::kTimer1));
    EXPECT_NEAR(p.panel.Now(), 102, 1e-9);  // the program ended right after its last line
  }
}

TEST(About, ChangesNoStateWhileIdleIsOnAndNeverInterleaves) {
  Program p(36000.0);
  p.panel.ClickAt(10, kStart);
  p.panel.AboutAt(11.5);  // during Start's lines: runs after them
  p.panel.AboutAt(40);    // while the loop waits: runs at once
  p.panel.At(199, [&] {
    ExpectIdle(p, true);
    EXPECT_TRUE(p.handlers.LoopRunning());
  });
  p.Start(200);
  const auto a = Split(p);
  ASSERT_EQ(a.size(), 6u);
  EXPECT_EQ(a[1].kind, Announcement::kIdleOn);
  EXPECT_EQ(a[2].kind, Announcement::kStartup);
  EXPECT_EQ(a[3].kind, Announcement::kStartup);
  EXPECT_EQ(a[4].kind, Announcement::kMinute);
  EXPECT_EQ(a[4].detail, "1");
  EXPECT_EQ(a[5].detail, "2");
  EXPECT_EQ(p.chat.Posted()[12].time, 75);  // the loop kept its timing
}

}  // namespace
}  // namespace dizod
