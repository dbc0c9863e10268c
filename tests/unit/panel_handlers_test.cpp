// The panel's handlers in virtual time: what the room gets and when, for
// timed user actions and a chat client that may be slow or stall. Orderings
// no script here spells out are the explorer's.

#include "panel/panel_handlers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <tuple>

#include "tests/support/sim/announcements.h"
#include "tests/support/sim/sim.h"

namespace dizod {
namespace {

using sim::Announcement;
using sim::Program;
using Events = std::vector<std::string>;

std::string Stamp(double seconds, const std::string& what) {
  std::ostringstream text;
  text << seconds << " " << what;
  return text.str();
}

// "<seconds> <word>[ <text>]", the text kept exactly, blanks and all.
struct Entry {
  std::string time, word, text;
};
Entry Parse(const std::string& entry) {
  Entry parsed;
  std::istringstream in(entry);
  in >> parsed.time >> parsed.word;
  std::getline(in, parsed.text);
  if (!parsed.text.empty()) parsed.text.erase(0, 1);
  return parsed;
}

// "<seconds> <code>[ <text>]" written out as the room shows the line; other
// entries ("22 returned", "25.5 quit") stay as they are.
std::string Expand(const std::string& entry) {
  using namespace sim::text;
  const std::map<std::string, std::string_view> fixed = {
      {"B", kBanner},      {"W", kWideBanner}, {"Y", kByLine},   {"A", kActivated},
      {"U", kDeactivated}, {"On", kIdleOn},    {"Off", kIdleOff}};
  const Entry e = Parse(entry);
  const auto compose = [&e](std::string_view prefix, std::string_view suffix) {
    return e.time + " " + std::string(prefix) + e.text + std::string(suffix);
  };
  if (fixed.count(e.word)) return e.time + " " + std::string(fixed.at(e.word));
  if (e.word == "R") return compose(kReasonPrefix, kReasonSuffix);
  if (e.word == "M") return compose(kHasBeenIdlePrefix, kMinutesSuffix);
  if (e.word == "I") return compose(kWasIdlePrefix, kMinutesSuffix);
  return entry;
}

// Makes the n-th message to the client from now on (every one, for 0) fail so.
void FaultFromNow(Program& p, sim::Fault fault, int nth) {
  p.chat.next_fault = [fault, nth, count = 0]() mutable {
    return nth == 0 || ++count == nth ? fault : sim::Fault::kNone;
  };
}

// Runs the program through "<seconds> <action>[ <text>]" until `until`, and
// returns what happened, in time order: the lines the room got, when a
// session-end handler returned, when the program quit (hidden, its timer
// left on), and else how it stands.
Events Play(Program& p, const Events& actions, double until) {
  // Each entry with its time and, among entries of the same time, its place:
  // a handler that returned after n lines were out comes after the n-th.
  struct Happening {
    double time, place;
    std::string what;
  };
  std::vector<Happening> all;
  for (const std::string& action : actions) {
    const auto [at, verb, text] = Parse(action);
    p.panel.At(std::stod(at), [&p, &all, verb = verb, text = text] {
      const int nth = std::atoi(text.c_str());
      if (verb == "Start") {
        p.panel.Click(Control::kCommand1);
      } else if (verb == "Stop") {
        p.panel.Click(Control::kCommand2);
      } else if (verb == "Exit") {
        p.panel.Click(Control::kCommand3);
      } else if (verb == "Close") {
        p.handlers.OnClose();
      } else if (verb == "About") {
        p.handlers.OnAboutClick();
      } else if (verb == "Reason") {
        p.panel.SetText(Control::kText1, text);
      } else if (verb == "Count") {
        p.panel.SetText(Control::kText2, text);
      } else if (verb == "Slow" || verb == "Stall") {
        FaultFromNow(p, verb == "Slow" ? sim::Fault::kSlow : sim::Fault::kStall, nth);
      } else if (verb == "EndSession") {
        p.handlers.OnEndSession();
        all.push_back({p.panel.Now(), p.chat.Posted().size() - 0.5, "returned"});
      } else {
        ADD_FAILURE() << "no such action: " << verb;
      }
    });
  }
  p.Start(until);
  const auto& posted = p.chat.Posted();
  for (size_t i = 0; i < posted.size(); ++i)
    all.push_back({posted[i].time, double(i), posted[i].text});
  if (p.panel.Quit()) {
    const bool timer = p.panel.Enabled(Control::kTimer1);
    all.push_back(
        {p.panel.QuitAt(), sim::kForever,
         std::string("quit") + (p.panel.Hidden() ? ", hidden" : "") + (timer ? ", timer on" : "")});
  }
  std::sort(all.begin(), all.end(), [](const Happening& a, const Happening& b) {
    return std::tie(a.time, a.place) < std::tie(b.time, b.place);
  });
  Events result;
  for (const Happening& h : all) result.push_back(Stamp(h.time, h.what));
  if (!p.panel.Quit()) {
    const bool on = p.panel.Enabled(Control::kCommand2);
    result.push_back(std::string(on ? "idle on" : "idle off") + ", counter " +
                     p.panel.Text(Control::kText2));
  }
  return result;
}

struct Script {
  const char* name;
  Events actions;
  double until;
  Events expected;  // codes: Banner, Wide banner, bY-line, Activated, Unactivated,
                    // idle On and Off, Reason, Minute count, was Idle count
};

const Script kScripts[] = {
    {"StartUpLinesOneSecondApart", {}, 100, {"0 B", "1 Y", "2 A", "idle off, counter 0"}},
    {"TwoIdlePeriodsAndTheReasonReadAtEachPost",
     {"0 Reason lunch", "10 Start", "100 Reason   back soon  ", "150 Stop", "160 Start",
      "230 Stop"},
     400,
     {"0 B",
      "1 Y",
      "2 A",
      "10 W",
      "11 On",
      "12 R lunch",
      "75 B",
      "76 R lunch",
      "77 M 1",
      "140 B",
      "141 R   back soon  ",
      "142 M 2",
      "150 B",
      "151 Off",
      "152 I 2",
      "160 W",
      "161 On",
      "162 R   back soon  ",
      "225 B",
      "226 R   back soon  ",
      "227 M 1",
      "230 B",
      "231 Off",
      "232 I 1",
      "idle off, counter 0"}},
    // Clicks and About during another handler's lines run after those lines,
    // in the order they came.
    {"ClicksDuringASequenceRunAfterIt",
     {"10 Start", "76.5 Stop", "78.5 Start", "79.5 About"},
     200,
     {"0 B",         "1 Y",
      "2 A",         "10 W",
      "11 On",       "12 R Reason",
      "75 B",        "76 R Reason",
      "77 M 1",      "77 B",
      "78 Off",      "79 I 1",
      "79 W",        "80 On",
      "81 R Reason", "81 B",
      "82 Y",        "83 A",
      "146 B",       "147 R Reason",
      "148 M 1",     "idle on, counter 1"}},
    // About while the loop waits keeps the loop's timing.
    {"AboutWhileIdleChangesNothing",
     {"10 Start", "11.5 About", "40 About"},
     200,
     {"0 B", "1 Y", "2 A", "10 W", "11 On", "12 R Reason", "12 B", "13 Y", "14 A", "40 B", "41 Y",
      "42 A", "75 B", "76 R Reason", "77 M 1", "140 B", "141 R Reason", "142 M 2",
      "idle on, counter 2"}},
    // About runs from 73.5 to 76 s, past the end of the loop's pause at 75 s:
    // what it deferred runs before the minute that fell due meanwhile.
    {"AStopDeferredPastTheLoopsDeadlineGoesBeforeTheMinute",
     {"10 Start", "73.5 About", "74.2 Stop"},
     200,
     {"0 B", "1 Y", "2 A", "10 W", "11 On", "12 R Reason", "73.5 B", "75 Y", "76 A", "76 B",
      "77 Off", "78 I 0", "idle off, counter 0"}},
    {"AboutsDeferredPastTheLoopsDeadlineRunOnceBeforeTheMinute",
     {"10 Start", "73.5 About", "74.2 About", "74.6 About"},
     150,
     {"0 B", "1 Y", "2 A", "10 W", "11 On", "12 R Reason", "73.5 B", "75 Y", "76 A", "76 B", "77 Y",
      "78 A", "78 B", "79 R Reason", "80 M 1", "143 B", "144 R Reason", "145 M 2",
      "idle on, counter 2"}},
    {"AnEmptyReasonAndACounterThatIsNotANumber",
     {"0 Reason", "10 Start", "30 Count not a number"},
     100,
     {"0 B", "1 Y", "2 A", "10 W", "11 On", "12 R", "75 B", "76 R", "77 M 1",
      "idle on, counter 1"}},
    {"ExitWhileIdlePostsOnlyTheSignOff",
     {"10 Start", "100 Exit"},
     300,
     {"0 B", "1 Y", "2 A", "10 W", "11 On", "12 R Reason", "75 B", "76 R Reason", "77 M 1", "100 B",
      "101 Y", "102 U", "102 quit"}},
    {"CloseHidesThePanelFirst",
     {"10 Start", "100 Close"},
     300,
     {"0 B", "1 Y", "2 A", "10 W", "11 On", "12 R Reason", "75 B", "76 R Reason", "77 M 1", "100 B",
      "101 Y", "102 U", "102 quit, hidden"}},
    // A client that takes 3 s over every message would hold a sign-off up for
    // 20 s: the program is gone 5.5 s after Exit. The banner was on its way.
    {"ASlowClientDoesNotHoldUpTheEnd",
     {"20 Slow", "20 Exit"},
     100,
     {"0 B", "1 Y", "2 A", "25.5 quit", "29 B"}},
    // Stalled 12 s inside the banner's Enter: the panel stops waiting at 25 s,
    // and the deadline falls in the pause before the next line.
    {"ADeadlineInThePauseBetweenLinesEndsTheProgramOnTime",
     {"20 Stall 3", "20 Exit"},
     100,
     {"0 B", "1 Y", "2 A", "25.5 quit", "32 B"}},
    // Windows may end the process as soon as the session-end handler returns.
    {"SessionEndSignsOffAndReturnsWhenTheSignOffIsOut",
     {"10 Start", "40 EndSession"},
     100,
     {"0 B", "1 Y", "2 A", "10 W", "11 On", "12 R Reason", "40 B", "41 Y", "42 U", "42 returned",
      "42 quit, hidden"}},
    // The banner's Enter takes the client 3 s; the session end comes meanwhile
    // and goes on with the next line once it is out: each line goes out once.
    {"SessionEndWhileASignOffLineIsOnItsWayGoesOnWithTheNext",
     {"20 Slow 3", "20 Exit", "21 EndSession"},
     100,
     {"0 B", "1 Y", "2 A", "23 B", "24 Y", "25 U", "25 returned", "25 quit"}},
};

TEST(Handlers, PlayTheirScripts) {
  for (const Script& script : kScripts) {
    Program p(36000.0);
    Events expected;
    for (const std::string& entry : script.expected) expected.push_back(Expand(entry));
    EXPECT_EQ(Play(p, script.actions, script.until), expected) << script.name;
  }
}

TEST(SessionEnd, DuringASignOffReturnsWhenItsLastLineIsOut) {
  for (const char* how : {"Exit", "Close"}) {
    for (const char* when : {"20", "20.5", "21", "21.7"}) {
      Program p(36000.0);
      const Events got =
          Play(p, {std::string("20 ") + how, std::string(when) + " EndSession"}, 100);
      Events expected;
      for (const char* entry : {"0 B", "1 Y", "2 A", "20 B", "21 Y", "22 U", "22 returned"}) {
        expected.push_back(Expand(entry));
      }
      expected.push_back(how == std::string("Exit") ? "22 quit" : "22 quit, hidden");
      EXPECT_EQ(got, expected) << how << " " << when;
    }
  }
}

// Without a room nothing is sent, yet every pause is made: Start clicked at
// 1.2 s waits for the start-up's second pause, which ends at 1.6 s (marks at
// 36000 and 36001), and the counter keeps the same time as with a room.
TEST(NoChatRoom, EveryPauseIsMadeAndTheCounterKeepsTime) {
  Program p(36000.4, /*with_room=*/false);
  p.panel.ClickAt(1.2, Control::kCommand1);
  p.panel.At(1.5, [&] { EXPECT_TRUE(p.panel.Enabled(Control::kCommand1)); });
  p.panel.At(1.7, [&] { EXPECT_FALSE(p.panel.Enabled(Control::kCommand1)); });
  p.panel.At(290, [&] { EXPECT_EQ(p.panel.Text(Control::kText2), "4"); });
  p.Start(291);
  EXPECT_EQ(p.chat.TotalMessages(), 0);
  EXPECT_EQ(p.panel.KeepOnTopCalls(), 1);  // put above the other windows once, at load
}

// Whatever the fraction of the second Start comes at, the first minute comes
// 63 to 67.5 s after it.
TEST(IdleLoop, FirstMinuteComesAfterStartHasReturned) {
  for (double fraction : {0.0, 0.3, 0.5, 0.7, 0.95}) {
    Program p(36001.0 + fraction);
    p.panel.ClickAt(10, Control::kCommand1);
    p.Start(200);
    ASSERT_GE(p.Lines().size(), 9u);
    EXPECT_EQ(p.Lines()[8], "º·-.· User Has Been Idle For: 1 minutes ·.-·º");
    EXPECT_GE(p.chat.Posted()[6].time - 10, 63.5) << fraction;
    EXPECT_LE(p.chat.Posted()[6].time - 10, 67.5) << fraction;
  }
}

TEST(IdleLoop, AFullDayOfCyclesCountsExactlyWithoutGrowing) {
  Program p(50000.3);  // spans midnight
  p.panel.ClickAt(10, Control::kCommand1);
  p.panel.ClickAt(86400 + 10.5, Control::kCommand2);
  p.Start(86400 + 20);
  const auto announcements = sim::SplitAnnouncements(p.Lines());
  ASSERT_TRUE(announcements.has_value());
  int minutes = 0;
  for (const Announcement& a : *announcements) {
    if (a.kind != Announcement::kMinute) continue;
    EXPECT_EQ(a.detail, std::to_string(++minutes));
  }
  EXPECT_GE(minutes, 1320);  // one every 65 s or so
  EXPECT_LE(minutes, 1330);
  EXPECT_EQ(announcements->back().kind, Announcement::kIdleOff);
  EXPECT_EQ(announcements->back().detail, std::to_string(minutes));
  EXPECT_LE(p.panel.MaxDepth(), 3);
}

TEST(ParseCount, OnlyAWholeNumberCounts) {
  EXPECT_EQ(ParseCount("41"), 41u);
  EXPECT_EQ(ParseCount(" 7 "), 7u);
  for (const char* bad :
       {"", " ", "abc", "1.5", "-3", "+3", "12x", "99999999999999999999", "18446744073709551615"}) {
    EXPECT_EQ(ParseCount(bad), 0u) << bad;
  }
}

}  // namespace
}  // namespace dizod
