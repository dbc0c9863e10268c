// The chat room bridge against a small fake chat client, in virtual time: its
// window tree, an ANSI input box, and a client that takes time for every
// message, may stall inside one or lose it, sends its box at once, later or
// never, and whose user may type meanwhile.

#include "chat/chat_bridge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <regex>
#include <tuple>
#include <vector>

namespace dizod {
namespace {

std::pair<std::uint32_t, std::uint32_t> Selection(const Draft& draft) {
  return {draft.selection_start, draft.selection_end};
}

using Lines = std::vector<std::string>;
constexpr std::uint64_t kNever = UINT64_MAX;

// Window classes by one letter each, as the tables write them: FMARLIS.
const std::string kClasses[] = {"AOL Frame25",  "MDIClient", "AOL Child",  "RICHCNTL",
                                "_AOL_Listbox", "_AOL_Icon", "_AOL_Static"};

// What an ANSI box keeps: a character beyond Latin-1 (the part of Windows-1252
// the rows use) becomes '?'.
std::string Ansi(const std::string& utf8) {
  return std::regex_replace(utf8, std::regex("[\xC4-\xF4][\x80-\xBF]+"), "?");
}

// A frame (handle 1) whose client area (2) holds a document for each string
// of `documents`, with a child for each of its letters; a panel 'P' holds a
// room's. Handles count on in the order the windows are made. Every window
// shares the one box: which window a message reached is counted apart.
struct FakeClient : WindowOps {
  explicit FakeClient(const Lines& documents, Draft draft = {}) : box(std::move(draft)) {
    Add(Add(0, "F"), "M");
    for (const std::string& children : documents) Add(Add(2, "A"), children);
  }
  // Adds a child of `parent` for each letter; the handle of the last.
  WindowHandle Add(WindowHandle parent, const std::string& classes) {
    for (const char cls : classes) {
      windows.emplace_back(cls, parent);
      Add(windows.size() - 1, cls == 'P' ? "RRLIS" : "");
    }
    return windows.size() - 1;
  }

  WindowHandle FindTopLevel(const char* name) override { return FindChild(0, 0, name); }
  WindowHandle FindChild(WindowHandle parent, WindowHandle after, const char* name) override {
    lookups += "FMARLIS?"[std::find(std::begin(kClasses), std::end(kClasses), name) - kClasses];
    for (WindowHandle w = after + 1; w < windows.size(); ++w)
      if (windows[w] == std::pair(lookups.back(), parent)) return w;
    return 0;
  }
  SendResult ReadText(WindowHandle w, std::string& text) override {
    return Send(w, [&] { text = box.text; });
  }
  SendResult ReadDraft(WindowHandle w, Draft& draft) override {
    const SendResult read = ReadText(w, draft.text);
    if (read != SendResult::kAnswered || draft.text.empty()) return read;
    return Send(w, [&] { std::tie(draft.selection_start, draft.selection_end) = Selection(box); });
  }
  SendResult SetLine(WindowHandle w, const std::string& text) override {
    return Send(w, [&] { box = {Ansi(text)}; });
  }
  SendResult SendChar(WindowHandle w, unsigned c) override {
    return Send(
        w, [&] { entered_at = now, send_at = c == 13 && late != kNever ? now + late : send_at; });
  }
  SendResult RestoreDraft(WindowHandle w, const Draft& d) override {
    const SendResult set = Send(w, [&] { box = {Ansi(d.text)}, restored_at = now; });
    if (set != SendResult::kAnswered) return set;
    return Send(w, [&] { std::tie(box.selection_start, box.selection_end) = Selection(d); });
  }
  SendResult Probe(WindowHandle w) override {
    return Send(w, [] {});
  }
  Clock::time_point Now() override { return Clock::time_point(Millis(now)); }
  void Rest(Millis span) override { Pass(now + static_cast<std::uint64_t>(span.count())); }

  // Time passes; an awake client sends its box when its Enter's timer fires.
  void Pass(std::uint64_t until) {
    if (send_at != kNever && std::max(send_at, awake_at) <= until) {
      now = std::max(send_at, awake_at), send_at = kNever;
      if (!box.text.empty()) room.push_back(box.text);
      box = {};
    }
    now = std::max(now, until);
  }
  // A message to window `w`: handled once the client is awake, at `cost` ms
  // each, and bounded by 5 s. Fault 'S': the client stalls 8 s inside the
  // message and takes it when it wakes; 'L': the same, but it is lost. Any
  // other message that times out while it sleeps is lost too. 'K': just
  // before it, the user presses 'p' at the caret; 'T': just after.
  SendResult Send(WindowHandle w, const std::function<void()>& effect) {
    const char fault = received < faults.size() ? faults[received] : '.';
    ++received, ++messages[w];
    const auto type = [this] {
      box.text.insert(box.selection_start, 1, 'p'), box.selection_end = ++box.selection_start;
    };
    if (fault == 'K') type();
    if (fault == 'S' || fault == 'L') awake_at = now + 8000;
    const std::uint64_t sent = now, handled = std::max(now, awake_at);
    const bool in_time = handled + cost <= sent + 5000;
    if (in_time) Pass(handled);
    if (in_time || fault == 'S') {  // as it wakes
      const std::uint64_t called = std::exchange(now, handled);
      effect();
      if (fault == 'T') type();
      now = std::max(called, in_time ? handled : called);
    }
    Pass(in_time ? handled + cost : sent + 5000);
    return in_time ? SendResult::kAnswered : SendResult::kTimedOut;
  }

  std::vector<std::pair<char, WindowHandle>> windows{{'-', 0}};  // class and parent, by handle
  Draft box;                                                     // what the input box holds
  Lines room;                        // what the client sent from its box
  std::string lookups, faults;       // the class of each lookup; a fault for each message, see Send
  std::uint64_t cost = 0, late = 0;  // late: from an Enter until the box sends
  std::uint64_t now = 0, send_at = kNever, awake_at = 0;
  std::uint64_t entered_at = 0, restored_at = 0;  // the last Enter and the last put-back
  std::size_t received = 0, messages[64] = {};    // messages, and by window
};

// Each document's children by class letter; the line goes into the window
// `box` (see FakeClient; 0: nowhere), and no other window gets a message.
// `lookups`: every lookup, in order.
TEST(ChatBridge, LineGoesIntoTheSecondRichTextBoxOfTheFirstDocumentWithAllFourKinds) {
  const std::tuple<Lines, WindowHandle, const char*> rows[] = {
      {{}, 0, "FMA"},
      {{"RLIS"}, 0, "FMARLISRR"},
      {{"RRRLIS", "RRLIS"}, 5, "FMARLISRR"},
      {{"LIS", "RRIS", "RRLS", "RRLI", "P", "RRLIS"}, 31, "FMARLISARLISARLISARLISARLISARLISRR"},
  };
  for (const auto& [documents, box, lookups] : rows) {
    FakeClient client(documents);
    const LineResult result = PostChatLine(client, "hi", [] { return std::nullopt; });
    EXPECT_EQ(client.lookups, lookups);
    EXPECT_EQ(result.outcome, box == 0 ? LineOutcome::kDropped : LineOutcome::kPosted);
    EXPECT_EQ(client.room, box == 0 ? Lines{} : Lines{"hi"});
    EXPECT_EQ(client.messages[box], client.received) << lookups;
  }
}

// A line's messages, with a draft: read its text and selection, set the
// line, Enter, look whether the client has taken it, put the
// draft back (text, selection). A row: the client's faults, one for each
// message it receives; what each message costs it; how long after an Enter
// its box sends (or never); the draft, which the box
// holds again at the end and which never reaches the room; the lines posted
// one after another, each with its outcome; those the room got; when the
// worker was done (0: not checked); a give-up that many ms after the last
// Enter (±200), and the draft back 10 to 12 s after it; a program that ends
// from the stop_at-th message on, leaving the bridge stop_ms more; what the
// box holds at the end, when not the draft.
TEST(ChatBridge, LineIsDoneOnceTheClientHasTakenItAndTheDraftNeverReachesTheRoom) {
  using enum LineOutcome;
  const Draft typing{"typing", 2, 2}, empty{""}, selected{"abcdef", 1, 4},
      secret{"meet at 5", 4, 4}, typed{"p", 1, 1};
  const struct {
    const char* faults;
    std::uint64_t cost, late;
    Draft draft;
    std::vector<std::pair<std::string, LineOutcome>> lines;
    Lines room;
    std::uint64_t done_ms = 0, given_up_ms = 0;
    bool restored_late = false;
    std::size_t stop_at = SIZE_MAX;
    std::uint64_t stop_ms = 0;
    std::optional<Draft> box = std::nullopt;
  } rows[] = {
      // Stalled in the read: nothing of the line reached the box.
      {"L", 0, 0, typing, {{"line", kGivenUp}}, {}, 5000},
      // In the set: the line lands as it wakes; the draft, even empty, goes back over it.
      {".S", 0, 0, empty, {{"line", kGivenUp}}, {}, 8000},
      // The same, and the put-back is lost: put back again once it answers.
      {"..S.L", 0, 0, typing, {{"line", kGivenUp}}, {}, 16000},
      // In the Enter, and again in the first look once awake: waited for twice.
      {"...S.S", 0, 0, typing, {{"line", kPosted}}, {"line"}, 16000},
      // In the Enter, the box sending 300 ms after it wakes.
      {"...S", 0, 300, typing, {{"line", kPosted}}, {"line"}, 8300},
      // In the first look after the Enter, the box sending at 9 s.
      {"....L", 0, 9000, typing, {{"line", kPosted}}, {"line"}, 9000},
      // In the put-back, which is lost: put back again once it answers; or
      // which lands as it wakes: then done, the line having left long since.
      {".....L", 0, 0, typing, {{"line", kPosted}}, {"line"}, 8000},
      {".....S", 0, 0, typing, {{"line", kPosted}}, {"line"}, 8000},
      // The program ends before the Enter, and the client stalls in the put-back.
      {"...L", 0, 0, typing, {{"line", kGivenUp}}, {}, 8000, 0, false, 3, 9000},
      // It ends with the draft read: no more messages.
      {"", 100, 0, typing, {{"line", kGivenUp}}, {}, 200, 0, false, 2, 0},
      // It ends while the box holds our line: the draft goes back at once; with
      // a slow client the looks stop in time for it to be back 330 ms after
      // the end (at 2.7 s), within the worker's grace.
      {"", 0, kNever, typing, {{"line", kGivenUp}}, {}, 10, 0, false, 5, 0},
      {"", 300, kNever, typing, {{"line", kGivenUp}}, {}, 3030, 0, false, 4, 1500},
      // Sends 50 ms after the Enter: two lines back to back from an empty box.
      {"", 0, 50, empty, {{"one", kPosted}, {"two", kPosted}}, {"one", "two"}, 100},
      // The same with a selection in the box and a reason outside the code page.
      {"", 0, 50, selected, {{"lunch \xCE\xA9", kPosted}}, {"lunch ?"}, 50},
      // Sends 6 s after the Enter: given up at 5 s, our line sent late, then the draft back.
      {"", 0, 6000, secret, {{"line", kGivenUp}}, {"line"}, 6000, 5000},
      // Never sends, at any cost a message: given up 5 s after the Enter, the
      // draft back only once no late send can come.
      {"", 0, kNever, empty, {{"line", kGivenUp}}, {}, 0, 5000, true},
      {"", 100, kNever, secret, {{"line", kGivenUp}}, {}, 0, 5000, true},
      {"", 300, kNever, typing, {{"line", kGivenUp}}, {}, 0, 5000, true},
      {"", 1000, kNever, typing, {{"line", kGivenUp}}, {}, 0, 5000},
      // The user types into the box while our line waits in it: sent with it.
      {".....K", 20, 200, {"hel", 3, 3}, {{"line", kPosted}}, {"pline"}},
      // ... and once it has left with an empty draft: what the user typed stays.
      {"....T", 100, 150, empty, {{"line", kPosted}}, {"line"}, 0, 0, false, SIZE_MAX, 0, typed},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    FakeClient client({"RRLIS"}, row.draft);
    client.faults = row.faults, client.cost = row.cost, client.late = row.late;
    std::optional<std::uint64_t> stop;
    const EndingBy ending = [&]() -> std::optional<Clock::time_point> {
      if (client.received >= row.stop_at && !stop) stop = client.now + row.stop_ms;
      if (!stop) return std::nullopt;
      return Clock::time_point(Millis(*stop));
    };
    for (const auto& [line, outcome] : row.lines) {
      const LineResult result = PostChatLine(client, line, ending);
      EXPECT_EQ(result.outcome, outcome) << line;
      const double given_up = static_cast<double>(client.now - client.entered_at);
      EXPECT_NEAR(row.given_up_ms != 0 ? given_up : 0, row.given_up_ms, 200);
      if (result.stuck) Settle(client, *result.stuck, ending);
    }
    EXPECT_EQ(row.done_ms != 0 ? client.now : 0, row.done_ms);
    if (row.restored_late) {
      EXPECT_GE(client.restored_at - client.entered_at, 10000u);
      EXPECT_LE(client.restored_at - client.entered_at, 12000u);
    }
    client.Pass(client.now + 20000);  // a late send is due by now
    EXPECT_EQ(client.room, row.room);
    const Draft& box = row.box.value_or(row.draft);
    EXPECT_EQ(client.box.text, box.text);
    EXPECT_EQ(Selection(client.box), Selection(box));
    EXPECT_EQ(client.messages[5], client.received);
  }
}

}  // namespace
}  // namespace dizod
