#include "tests/support/sim/explorer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_set>

#include "tests/support/sim/announcements.h"
#include "tests/support/sim/sim.h"

namespace dizod::sim {

namespace {

// What can happen at a moment of a run: a user's action, a stray tick or the
// session's end when the panel's pump is entered; the panel dispatching a
// waiting message before the worker's next step; or a fault of the chat
// client when a message is sent to it.
enum class Action {
  kStart,
  kStop,
  kExit,
  kAbout,
  kClose,
  kTick,
  kReason,
  kEndSession,
  kPanelFirst,
  kSlowClient,
  kStallClient,
  kHangClient,
  kCloseRoom,
  kSendLate
};
constexpr Action kUserActions[] = {Action::kStart,  Action::kStop,      Action::kExit,
                                   Action::kAbout,  Action::kClose,     Action::kTick,
                                   Action::kReason, Action::kEndSession};
constexpr Action kFaults[] = {Action::kSlowClient, Action::kStallClient, Action::kHangClient,
                              Action::kCloseRoom, Action::kSendLate};
// Each action's name and, for a fault, what the client does; in the order above.
constexpr struct {
  const char* name;
  Fault fault;
} kActionInfo[] = {
    {"Start", Fault::kNone},          {"Stop", Fault::kNone},        {"Exit", Fault::kNone},
    {"About", Fault::kNone},          {"Close", Fault::kNone},       {"Tick", Fault::kNone},
    {"Reason", Fault::kNone},         {"EndSession", Fault::kNone},  {"PanelFirst", Fault::kNone},
    {"Slow", Fault::kSlow},           {"Stall", Fault::kStall},      {"Hang", Fault::kHang},
    {"CloseRoom", Fault::kCloseRoom}, {"SendLate", Fault::kSendLate}};
const auto& Info(Action action) {
  return kActionInfo[static_cast<int>(action)];
}

// An action delivered at the n-th moment of a run (pump entries, the worker's
// steps while a message waits for the panel, and messages to the client
// counted together).
struct Injection {
  int point;
  Action action;
};
using Schedule = std::vector<Injection>;

// The user's half-typed message in the room's input box.
constexpr const char* kDraft = "typing é";
constexpr std::uint32_t kDraftCaret = 3;
constexpr double kCycleSeconds = 63;

bool Offered(Program& p, Action action) {
  switch (action) {
    case Action::kStart:
      return p.panel.Enabled(Control::kCommand1);
    case Action::kStop:
      return p.panel.Enabled(Control::kCommand2);
    case Action::kTick:
      return p.panel.Enabled(Control::kTimer1);
    default:
      return true;
  }
}

bool IsFault(Action action) {
  return Info(action).fault != Fault::kNone;
}

// `serial` counts the actions of the run so far, so each new reason differs.
void Perform(Program& p, Action action, int serial) {
  switch (action) {
    case Action::kStart:
      return p.panel.Click(Control::kCommand1);
    case Action::kStop:
      return p.panel.Click(Control::kCommand2);
    case Action::kExit:
      return p.panel.Click(Control::kCommand3);
    case Action::kAbout:
      return p.handlers.OnAboutClick();
    case Action::kClose:
      return p.handlers.OnClose();
    case Action::kTick:
      return p.handlers.OnTimerTick();
    case Action::kReason:
      return p.panel.SetText(Control::kText1, "away " + std::to_string(serial));
    case Action::kEndSession:
      return p.handlers.OnEndSession();
    default:
      return;  // faults happen in the client, not through the panel
  }
}

// The sign-off's three lines are the last in the room, and nothing is on its way.
bool SignOffOut(Program& p) {
  const std::vector<std::string> lines = p.Lines();
  const std::vector<std::string> sign_off = {std::string(text::kBanner), std::string(text::kByLine),
                                             std::string(text::kDeactivated)};
  return !p.channel.LineInFlight() && lines.size() >= 3 &&
         std::equal(sign_off.begin(), sign_off.end(), lines.end() - 3);
}

bool IsWholeNumber(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// What the panel promises whenever no handler is running.
void CheckAtRest(Program& p, std::vector<std::string>& violations) {
  const bool start = p.panel.Enabled(Control::kCommand1);
  const bool stop = p.panel.Enabled(Control::kCommand2);
  if (start == stop)
    violations.push_back("Start and Stop both " + std::string(start ? "on" : "off"));
  if (p.panel.Enabled(Control::kTimer1) != stop) violations.push_back("Timer1 disagrees with Stop");
  if (!IsWholeNumber(p.panel.Text(Control::kText2))) violations.push_back("counter not a number");
  if (p.handlers.LoopRunning() || p.handlers.SequenceDepth() != 0) {
    violations.push_back("a handler is left running");
  }
}

// What a finished run's transcript breaks: whole announcements, true counts,
// minutes never early, one sign-off at the very end of the program.
std::vector<std::string> TranscriptViolations(Program& p) {
  std::vector<std::string> violations;
  // A run that the horizon stopped may end in the middle of a sequence.
  const auto split = SplitAnnouncements(p.Lines(), !p.panel.Quit());
  if (!split) {
    violations.push_back("transcript is not whole announcements");
    return violations;
  }
  const auto& posted = p.chat.Posted();
  bool in_period = false;
  long count = 0;
  double period_start = 0, last_minute = -1;
  int sign_offs = 0;
  for (size_t i = 0; i < split->size(); ++i) {
    const Announcement& a = (*split)[i];
    const double at = posted[a.first_line].time;
    switch (a.kind) {
      case Announcement::kIdleOn:
        if (in_period) violations.push_back("idle-on while idle");
        in_period = true, count = 0, period_start = at, last_minute = -1;
        break;
      case Announcement::kMinute:
        if (!in_period) violations.push_back("minute announcement while not idle");
        if (a.detail != std::to_string(count + 1)) violations.push_back("minute count " + a.detail);
        if (at < period_start + kCycleSeconds - 1e-9 ||
            (last_minute >= 0 && at < last_minute + kCycleSeconds - 1e-9)) {
          violations.push_back("minute announcement sooner than 63 s");
        }
        ++count, last_minute = at;
        break;
      case Announcement::kIdleOff:
        if (!in_period) violations.push_back("idle-off while not idle");
        if (a.detail != std::to_string(count)) violations.push_back("was-idle count " + a.detail);
        in_period = false;
        break;
      case Announcement::kSignOff:
        ++sign_offs;
        if (i + 1 != split->size()) violations.push_back("lines after the sign-off");
        break;
      case Announcement::kStartup:
        break;
    }
  }
  if (sign_offs > 1) violations.push_back("signed off more than once");
  if (p.panel.Quit() != (sign_offs == 1))
    violations.push_back("ended without sign-off or not ended");
  return violations;
}

// What a run with a faulty client breaks: a message to the client from the
// panel's own thread, a given-up line that reached the room, lines out of
// order, the user's draft not back once the client answers.
std::vector<std::string> ClientFaultViolations(Program& p, const Draft& draft) {
  std::vector<std::string> violations;
  const auto& records = p.channel.Lines();
  int last_serial = 0;
  for (const PostedLine& line : p.chat.Posted()) {
    if (line.serial == 0) {
      violations.push_back("posted the user's draft");
      continue;
    }
    if (line.serial <= last_serial) violations.push_back("lines out of order");
    last_serial = line.serial;
    const auto& record = records.at(line.serial - 1);
    if (record.text != line.text) violations.push_back("posted a line it was not given");
    if (record.outcome == LineOutcome::kGivenUp) violations.push_back("a given-up line arrived");
  }
  if (p.chat.MessagesFromThePanelThread() != 0) {
    violations.push_back("the panel's thread waited on the client");
  }
  const WindowHandle box = p.Box();
  // A closed room takes its draft with it; a client that never answers again
  // keeps whatever it last handled.
  if (p.chat.AsleepUntil() < kForever && !p.chat.Closed(box) &&
      (p.chat.TextOf(box) != draft.text ||
       p.chat.SelectionOf(box) != std::pair{draft.selection_start, draft.selection_end})) {
    violations.push_back("draft not back: \"" + p.chat.TextOf(box) + "\"");
  }
  return violations;
}

// What the transcript breaks of the promises made to the clicks: after a Stop
// click no idle line goes out but that Stop's idle-off announcement; after a
// Start click none goes out before that Start's idle-on announcement.
std::vector<std::string> ClickViolations(Program& p) {
  // What counts is when the panel handed each line over: a client may send it
  // a little later.
  std::vector<PostedLine> posted = p.chat.Posted();
  std::vector<std::string> texts;
  for (PostedLine& line : posted) {
    if (line.serial > 0) line.time = p.channel.Lines().at(line.serial - 1).submitted;
    texts.push_back(line.text);
  }
  const auto split = SplitAnnouncements(texts, !p.panel.Quit());
  if (!split) return {};  // not whole announcements: TranscriptViolations says so
  // Whether an idle announcement begins after the click and before the first
  // announcement of the awaited kind. Handlers take no time here, so one that
  // began at the click's very moment began before the click was handled.
  const auto overtaken = [&](double click, Announcement::Kind awaited) {
    for (const Announcement& a : *split) {
      const double at = posted[a.first_line].time;
      if (a.kind == awaited && at >= click) return false;
      const bool idle = a.kind == Announcement::kIdleOn || a.kind == Announcement::kIdleOff ||
                        a.kind == Announcement::kMinute;
      if (idle && at > click) return true;
    }
    return false;
  };
  std::vector<std::string> violations;
  for (double click : p.panel.ClickTimes(Control::kCommand2)) {
    if (overtaken(click, Announcement::kIdleOff)) {
      violations.push_back("idle line between a Stop click and its idle-off");
    }
  }
  for (double click : p.panel.ClickTimes(Control::kCommand1)) {
    if (overtaken(click, Announcement::kIdleOn)) {
      violations.push_back("idle line between a Start click and its idle-on");
    }
  }
  return violations;
}

void Mix(std::string& key, double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.6f|", value);
  key += text;
}

// Everything the rest of a run depends on, and what the checks still look at.
std::string StateKey(Program& p, int budget, bool session_ended) {
  std::string key = std::to_string(budget) + (session_ended ? "S|" : "-|") +
                    std::to_string(p.panel.Depth()) + "|";
  const double now = p.panel.Now();
  for (double deadline : p.panel.Deadlines()) Mix(key, std::isinf(deadline) ? -1 : deadline - now);
  Mix(key, std::fmod(p.panel.ReadClock().time_of_day, 2.0));
  Mix(key, std::isinf(p.panel.NextTick()) ? -1 : p.panel.NextTick() - now);
  for (const auto& e : p.panel.PostedEvents()) key += e ? char('a' + static_cast<int>(*e)) : 'w';
  key += "|";
  for (DeferredEvent e : p.handlers.DeferredEvents()) key += char('a' + static_cast<int>(e));
  key += "|";
  for (Control c : {Control::kCommand1, Control::kCommand2, Control::kTimer1}) {
    key += p.panel.Enabled(c) ? '1' : '0';
  }
  key += p.handlers.Ending() ? 'E' : '-';
  key += p.panel.Hidden() ? 'H' : '-';
  key += p.handlers.LoopRunning() ? 'L' : '-';
  key += std::to_string(p.handlers.SequenceDepth()) + "|" + p.panel.Text(Control::kText1) + "|" +
         p.panel.Text(Control::kText2) + "|";
  const auto relative = [now](double t) { return std::isinf(t) ? (t > 0 ? -2.0 : -1.0) : t - now; };
  Mix(key, relative(p.chat.AsleepUntil()));
  key += std::to_string(static_cast<int>(p.channel.NextStep()));
  Mix(key, relative(p.channel.NextStepAt()));
  key += p.chat.Closed(p.Box()) ? 'C' : '-';
  // The last lines say where in its sequence a handler is; the times since
  // the period's start and its last minute are what the checks still need.
  const auto& posted = p.chat.Posted();
  for (size_t i = posted.size() > 3 ? posted.size() - 3 : 0; i < posted.size(); ++i) {
    key += posted[i].text + "|";
  }
  for (size_t i = posted.size(); i-- > 0;) {
    if (posted[i].text.rfind("º·-.· Kráno Dizod  ", 0) == 0 ||
        posted[i].text.rfind("º·-.· User Has Been", 0) == 0) {
      Mix(key, std::min(now - posted[i].time, 100.0));
      break;
    }
  }
  return key;
}

struct Trace {
  std::vector<std::vector<Action>> offered;  // per moment from the branch point on
};

std::vector<std::string> Run(const Schedule& schedule, const Bounds& bounds,
                             std::unordered_set<std::string>& seen, Trace& trace,
                             std::int64_t& pruned) {
  Program p(bounds.start_time_of_day);
  p.chat.TextOf(p.Box()) = kDraft;
  p.chat.Select(p.Box(), kDraftCaret, kDraftCaret);
  std::vector<std::string> violations;
  const int branch_from = schedule.empty() ? 0 : schedule.back().point + 1;
  const int budget = bounds.max_actions - static_cast<int>(schedule.size());
  const int faults_used = static_cast<int>(std::count_if(
      schedule.begin(), schedule.end(), [](Injection i) { return IsFault(i.action); }));
  // A client that sends late loses nothing: every line must still arrive.
  const bool lossy = std::any_of(schedule.begin(), schedule.end(), [](Injection i) {
    return IsFault(i.action) && i.action != Action::kSendLate;
  });
  const bool faults_left = faults_used < bounds.max_faults;
  double ending_at = kForever;
  bool session_ended = false;
  size_t next = 0;
  int point = 0;
  const auto due = [&](int here) { return next < schedule.size() && schedule[next].point == here; };
  p.panel.on_yield = [&]() -> bool {
    // Nothing can come before the load event: it is queued before the panel
    // takes any input.
    if (!p.loaded) return false;
    const int here = point++;
    if (p.panel.Depth() == 1 && !p.panel.Quit()) CheckAtRest(p, violations);
    if (here >= branch_from && budget > 0) {
      const bool fresh = seen.insert(StateKey(p, budget, session_ended)).second;
      if (!fresh) ++pruned;
      std::vector<Action> offered;
      if (fresh && !p.panel.Quit()) {
        for (Action a : kUserActions) {
          // Windows ends a session once.
          if (a == Action::kEndSession && session_ended) continue;
          if (Offered(p, a)) offered.push_back(a);
        }
      }
      trace.offered.push_back(offered);
    }
    if (!due(here)) return false;
    const Action action = schedule[next++].action;
    session_ended = session_ended || action == Action::kEndSession;
    if (action == Action::kExit || action == Action::kClose || action == Action::kEndSession) {
      ending_at = std::min(ending_at, p.panel.Now());
    }
    Perform(p, action, static_cast<int>(next));
    // Windows may end the process as soon as the session-end handler returns.
    if (action == Action::kEndSession && !lossy && !SignOffOut(p)) {
      violations.push_back("session end returned before the sign-off was out");
    }
    return true;
  };
  p.panel.on_worker_step = [&]() -> bool {
    const int here = point++;
    if (here >= branch_from) {
      trace.offered.push_back(budget > 0 ? std::vector<Action>{Action::kPanelFirst}
                                         : std::vector<Action>{});
    }
    if (!due(here)) return false;
    ++next;
    return true;
  };
  if (bounds.max_faults > 0)
    p.chat.next_fault = [&]() -> Fault {
      const int here = point++;
      if (here >= branch_from) {
        const bool offer = budget > 0 && faults_left;
        trace.offered.push_back(offer ? std::vector<Action>(std::begin(kFaults), std::end(kFaults))
                                      : std::vector<Action>{});
      }
      if (!due(here)) return Fault::kNone;
      return Info(schedule[next++].action).fault;
    };
  p.Start(bounds.horizon_seconds);
  const auto add = [&violations](std::vector<std::string> more) {
    for (std::string& v : more) violations.push_back(std::move(v));
  };
  // A faulty client may cut announcements short, or drop them whole: what
  // then still holds is checked line by line.
  if (!lossy) {
    add(TranscriptViolations(p));
    add(ClickViolations(p));
    if (p.channel.Refused() > 0) violations.push_back("a line refused by a client that answers");
  }
  add(ClientFaultViolations(p, Draft{kDraft, kDraftCaret, kDraftCaret}));
  // A run cut off by its horizon had until then to end.
  const double gone = p.panel.Quit() ? p.panel.QuitAt() : bounds.horizon_seconds;
  if (gone - ending_at > 8.0) violations.push_back("not gone within 8 s of Exit");
  return violations;
}

std::string Describe(const Schedule& schedule) {
  std::string text;
  for (const Injection& i : schedule) {
    text += (text.empty() ? "" : ", ") + std::string(Info(i.action).name) + "@" +
            std::to_string(i.point);
  }
  return "[" + text + "]";
}

}  // namespace

Report Explore(const Bounds& bounds) {
  Report report;
  std::unordered_set<std::string> seen;
  std::vector<Schedule> stack{{}};
  while (!stack.empty()) {
    if (bounds.max_runs >= 0 && report.runs >= bounds.max_runs) return report;
    const Schedule schedule = std::move(stack.back());
    stack.pop_back();
    Trace trace;
    const auto violations = Run(schedule, bounds, seen, trace, report.pruned);
    ++report.runs;
    report.deepest = std::max(report.deepest, static_cast<int>(schedule.size()));
    for (const std::string& v : violations) {
      if (report.violations.size() < 60) report.violations.push_back(v + " " + Describe(schedule));
    }
    const int branch_from = schedule.empty() ? 0 : schedule.back().point + 1;
    for (size_t i = trace.offered.size(); i-- > 0;) {
      for (Action a : trace.offered[i]) {
        Schedule child = schedule;
        child.push_back({branch_from + static_cast<int>(i), a});
        stack.push_back(std::move(child));
      }
    }
  }
  report.distinct_states = static_cast<std::int64_t>(seen.size());
  report.complete = true;
  return report;
}

}  // namespace dizod::sim
