// Events deferred behind a sequence that outlasts the idle loop's pause, the
// sign-off against lines still on their way and a session that ends meanwhile,
// and the explorer's checks of what the clicks were promised.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "panel/panel_handlers.h"
#include "tests/support/sim/explorer.h"
#include "tests/support/sim/sim.h"

namespace dizod {
namespace {

using sim::Program;
using Transcript = std::vector<std::pair<double, std::string>>;

constexpr Control kStart = Control::kCommand1;
constexpr Control kStop = Control::kCommand2;
constexpr Control kExit = Control::kCommand3;

Transcript Lines(const Program& p) {
  Transcript lines;
  for (const auto& line : p.chat.Posted()) lines.emplace_back(line.time, line.text);
  return lines;
}

// Start at 10 s: its lines at 10, 11 and 12 s; the loop's first pause ends at 75 s.
const Transcript kStartupAndIdleOn = {
    {0, "º·-.· Kráno Dizod ·.-·º"},  {1, "º·-.·  By: Krano  ·.-·º"},
    {2, "º·-.·  Actívated  ·.-·º"},  {10, "º·-.· Kráno Dizod  ·.-·º"},
    {11, "º·-.·  Idle - On  ·.-·º"}, {12, "º·-.· Reason: Reason ·.-·º"},
};

Transcript Then(Transcript lines, const Transcript& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

// About at 73.5 s runs to 76 s, past the end of the loop's pause at 75 s; the
// Stop clicked at 74.2 s waits for About, and then goes before the minute.
TEST(Deferred, AStopDeferredPastTheLoopsDeadlineIsNotOvertakenByTheMinute) {
  Program p(36000.0);
  p.panel.ClickAt(10, kStart);
  p.panel.AboutAt(73.5);
  p.panel.ClickAt(74.2, kStop);
  p.panel.At(199, [&] {
    EXPECT_FALSE(p.handlers.LoopRunning());
    EXPECT_TRUE(p.panel.Enabled(kStart));
    EXPECT_FALSE(p.panel.Enabled(Control::kTimer1));
    EXPECT_EQ(p.panel.Text(Control::kText2), "0");
  });
  p.Start(200);
  EXPECT_EQ(Lines(p), Then(kStartupAndIdleOn, {
                                                  {73.5, "º·-.· Kráno Dizod ·.-·º"},
                                                  {75, "º·-.·  By: Krano  ·.-·º"},
                                                  {76, "º·-.·  Actívated  ·.-·º"},
                                                  {76, "º·-.· Kráno Dizod ·.-·º"},
                                                  {77, "º·-.·  Idle - Off  ·.-·º"},
                                                  {78, "º·-.· User Was Idle For 0 minutes ·.-·º"},
                                              }));
}

// Whatever was deferred runs before the cycle that fell due meanwhile, which
// then goes on with its own timing.
TEST(Deferred, AnAboutDeferredPastTheLoopsDeadlineRunsBeforeTheMinute) {
  Program p(36000.0);
  p.panel.ClickAt(10, kStart);
  p.panel.AboutAt(73.5);
  p.panel.AboutAt(74.2);
  p.panel.AboutAt(74.6);  // the same kind again: runs once
  p.Start(150);
  EXPECT_EQ(Lines(p),
            Then(kStartupAndIdleOn, {
                                        {73.5, "º·-.· Kráno Dizod ·.-·º"},
                                        {75, "º·-.·  By: Krano  ·.-·º"},
                                        {76, "º·-.·  Actívated  ·.-·º"},
                                        {76, "º·-.· Kráno Dizod ·.-·º"},
                                        {77, "º·-.·  By: Krano  ·.-·º"},
                                        {78, "º·-.·  Actívated  ·.-·º"},
                                        {78, "º·-.· Kráno Dizod ·.-·º"},
                                        {79, "º·-.· Reason: Reason ·.-·º"},
                                        {80, "º·-.· User Has Been Idle For: 1 minutes ·.-·º"},
                                        {143, "º·-.· Kráno Dizod ·.-·º"},
                                        {144, "º·-.· Reason: Reason ·.-·º"},
                                        {145, "º·-.· User Has Been Idle For: 2 minutes ·.-·º"},
                                    }));
}

const Transcript kSignOffAt20 = {
    {0, "º·-.· Kráno Dizod ·.-·º"},  {1, "º·-.·  By: Krano  ·.-·º"},
    {2, "º·-.·  Actívated  ·.-·º"},  {20, "º·-.· Kráno Dizod ·.-·º"},
    {21, "º·-.·  By: Krano  ·.-·º"}, {22, "º·-.· UnActívated ·.-·º"},
};

// Windows may end the process as soon as the session-end handler returns: it
// returns only when the sign-off already under way is out, on its own timing.
TEST(SessionEnd, DuringASignOffReturnsWhenTheLastLineIsOut) {
  for (bool close : {false, true}) {
    for (double at : {20.0, 20.5, 21.0, 21.7}) {
      Program p(36000.0);
      if (close) {
        p.panel.CloseAt(20);
      } else {
        p.panel.ClickAt(20, kExit);
      }
      double returned = -1;
      size_t lines_out = 0;
      p.panel.At(at, [&] {
        p.handlers.OnEndSession();
        returned = p.panel.Now();
        lines_out = p.chat.Posted().size();
      });
      p.Start(100);
      EXPECT_EQ(Lines(p), kSignOffAt20) << close << " " << at;
      EXPECT_EQ(returned, 22) << close << " " << at;
      EXPECT_EQ(lines_out, 6u) << close << " " << at;
      EXPECT_TRUE(p.panel.Quit());
      EXPECT_EQ(p.panel.Now(), 22);
    }
  }
}

// A session end while a sign-off line is still on its way to a slow client
// goes on with the next line once that one is out: each line goes out once.
TEST(SessionEnd, WhileASignOffLineIsOnItsWayGoesOnWithTheNext) {
  Program p(36000.0);
  double returned = -1;
  p.panel.At(20, [&] {
    int message = 0;
    // The banner's Enter takes the client 3 s.
    p.chat.next_fault = [message]() mutable {
      return ++message == 3 ? sim::Fault::kSlow : sim::Fault::kNone;
    };
    p.panel.Click(kExit);
  });
  p.panel.At(21, [&] {
    p.handlers.OnEndSession();
    returned = p.panel.Now();
  });
  p.Start(100);
  const auto lines = Lines(p);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(Transcript(lines.begin() + 3, lines.end()), (Transcript{
                                                            {23, "º·-.· Kráno Dizod ·.-·º"},
                                                            {24, "º·-.·  By: Krano  ·.-·º"},
                                                            {25, "º·-.· UnActívated ·.-·º"},
                                                        }));
  EXPECT_EQ(returned, 25);
  EXPECT_TRUE(p.panel.Quit());
}

TEST(SessionEnd, WithNoSignOffUnderWaySignsOffAndReturnsWhenItIsOut) {
  Program p(36000.0);
  p.panel.ClickAt(10, kStart);
  double returned = -1;
  p.panel.At(40, [&] {
    p.handlers.OnEndSession();
    returned = p.panel.Now();
  });
  p.Start(100);
  EXPECT_EQ(Lines(p), Then(kStartupAndIdleOn, {
                                                  {40, "º·-.· Kráno Dizod ·.-·º"},
                                                  {41, "º·-.·  By: Krano  ·.-·º"},
                                                  {42, "º·-.· UnActívated ·.-·º"},
                                              }));
  EXPECT_EQ(returned, 42);
  EXPECT_TRUE(p.panel.Hidden());
  EXPECT_TRUE(p.panel.Quit());
  EXPECT_FALSE(p.panel.Enabled(Control::kTimer1));
}

// The moments below are ones where the explorer once found the panel at
// fault; each test drives the run to that moment and says so.

const std::string kBanner = "º·-.· Kráno Dizod ·.-·º";
const std::string kByLine = "º·-.·  By: Krano  ·.-·º";

// The line the worker has and the panel waits for, or "".
std::string InFlight(Program& p) {
  return p.channel.LineInFlight() ? p.channel.Lines().back().text : std::string();
}

// Exit comes while About's banner is on its way, and the panel, woken when
// that line is out, gets to run before the worker does anything more. The
// sign-off's first line is handed over at that very moment: the channel
// takes it.
TEST(SignOff, HandedOverTheMomentTheLineBeforeIsOutIsTaken) {
  Program p(36000.0);
  p.panel.AboutAt(20);
  std::string exit_met;
  p.panel.on_yield = [&] {
    if (!exit_met.empty() || p.panel.Now() < 20 || InFlight(p).empty()) return false;
    exit_met = InFlight(p);
    p.panel.Click(kExit);
    return true;
  };
  p.panel.on_worker_step = [] { return true; };
  p.Start(100);
  EXPECT_EQ(exit_met, kBanner);
  EXPECT_EQ(p.channel.Refused(), 0);
  EXPECT_EQ(Lines(p),
            Then(Transcript(kSignOffAt20.begin(), kSignOffAt20.begin() + 3),
                 {{20, kBanner}, {20, kBanner}, {21, kByLine}, {22, "º·-.· UnActívated ·.-·º"}}));
}

// Exit comes while the start-up by-line is on its way; the session ends while
// Exit's sign-off waits behind that line. Windows may end the process as soon
// as the session-end handler returns: the whole sign-off is out by then, and
// nothing follows it if the process lives on.
TEST(SessionEnd, WhileExitWaitsBehindAnotherLineReturnsWithTheWholeSignOff) {
  Program p(36000.0);
  bool exit_clicked = false;
  std::string session_end_met;
  std::vector<std::string> out_at_return;
  p.panel.on_yield = [&] {
    if (!exit_clicked && InFlight(p) == kByLine) {
      exit_clicked = true;
      p.panel.Click(kExit);
      return true;
    }
    if (!exit_clicked || !session_end_met.empty() || !p.handlers.Ending() ||
        p.channel.Lines().size() != 2 || InFlight(p) != kByLine) {
      return false;
    }
    session_end_met = InFlight(p);
    p.handlers.OnEndSession();
    out_at_return = p.Lines();
    return true;
  };
  p.Start(100);
  EXPECT_EQ(session_end_met, kByLine);
  const std::vector<std::string> whole = {kBanner, kByLine, kBanner, kByLine,
                                          "º·-.· UnActívated ·.-·º"};
  EXPECT_EQ(out_at_return, whole);
  EXPECT_EQ(p.Lines(), whole);
  EXPECT_TRUE(p.panel.Quit());
}

// The session ends while the sign-off's last line is on its way: the handler
// returns only once that line is out.
TEST(SessionEnd, WhileTheLastSignOffLineIsOnItsWayReturnsWhenItIsOut) {
  Program p(36000.0);
  p.panel.ClickAt(20, kExit);
  bool met = false;
  size_t out_at_return = 0;
  p.panel.on_yield = [&] {
    if (met || InFlight(p) != "º·-.· UnActívated ·.-·º") return false;
    met = true;
    p.handlers.OnEndSession();
    out_at_return = p.chat.Posted().size();
    return true;
  };
  p.Start(100);
  EXPECT_TRUE(met);
  EXPECT_EQ(out_at_return, 6u);
  EXPECT_EQ(Lines(p), kSignOffAt20);
}

sim::PostedLine At(double time, const char* text) {
  return {time, 1, text, 0};
}

// The transcript the panel once posted for the first test above, before the
// fix: the minute announcement went out between Stop and its idle-off.
const std::vector<sim::PostedLine> kOvertakenStop = {
    At(0, "º·-.· Kráno Dizod ·.-·º"),
    At(1, "º·-.·  By: Krano  ·.-·º"),
    At(2, "º·-.·  Actívated  ·.-·º"),
    At(10, "º·-.· Kráno Dizod  ·.-·º"),
    At(11, "º·-.·  Idle - On  ·.-·º"),
    At(12, "º·-.· Reason: Reason ·.-·º"),
    At(73.5, "º·-.· Kráno Dizod ·.-·º"),
    At(75, "º·-.·  By: Krano  ·.-·º"),
    At(76, "º·-.·  Actívated  ·.-·º"),
    At(76, "º·-.· Kráno Dizod ·.-·º"),
    At(77, "º·-.· Reason: Reason ·.-·º"),
    At(78, "º·-.· User Has Been Idle For: 1 minutes ·.-·º"),
    At(78, "º·-.· Kráno Dizod ·.-·º"),
    At(79, "º·-.·  Idle - Off  ·.-·º"),
    At(80, "º·-.· User Was Idle For 1 minutes ·.-·º"),
};

TEST(Explorer, ClickChecksCatchAnIdleLineThatOvertakesAClick) {
  const std::vector<std::string> none;
  EXPECT_EQ(sim::ClickViolations(kOvertakenStop, {10}, {74.2}, true),
            std::vector<std::string>{"idle line between a Stop click and its idle-off"});
  // A Stop clicked during the minute announcement comes after it: fine.
  EXPECT_EQ(sim::ClickViolations(kOvertakenStop, {10}, {76.5}, true), none);
  // A Stop clicked at the very moment the minute began was handled after it.
  EXPECT_EQ(sim::ClickViolations(kOvertakenStop, {10}, {76}, true), none);
  // Stop clicked, and no idle-off ever came: the minute still broke the promise.
  const std::vector<sim::PostedLine> cut(kOvertakenStop.begin(), kOvertakenStop.begin() + 12);
  EXPECT_EQ(sim::ClickViolations(cut, {10}, {74.2}, true),
            std::vector<std::string>{"idle line between a Stop click and its idle-off"});
  // A Start whose idle-on comes only after a minute announcement.
  EXPECT_EQ(sim::ClickViolations(kOvertakenStop, {9}, {}, true), none);
  EXPECT_EQ(sim::ClickViolations(kOvertakenStop, {9, 75}, {}, true),
            std::vector<std::string>{"idle line between a Start click and its idle-on"});
}

}  // namespace
}  // namespace dizod
