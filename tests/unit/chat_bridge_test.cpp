// The chat room bridge against a small fake chat client, in virtual time: its
// window tree, an ANSI input box, and a client that may stall inside a
// message, lose it, or send its box some time after the Enter.

#include "chat/chat_bridge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <regex>
#include <tuple>
#include <vector>

namespace dizod {
namespace {

using Lines = std::vector<std::string>;

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
// shares the one draft `box`: which window a message reached is counted apart.
struct FakeClient : WindowOps {
  explicit FakeClient(const Lines& documents, std::string fault_list = "", std::uint64_t late = 0,
                      Draft draft = {})
      : box(std::move(draft)), faults(std::move(fault_list)), late_ms(late) {
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
  SendResult ReadDraft(WindowHandle w, Draft& out) override { return Send(w, &out); }
  SendResult SetLine(WindowHandle w, const std::string& t) override {
    return Send(w, {}, Draft{t});
  }
  SendResult SendChar(WindowHandle w, unsigned c) override { return Send(w, {}, {}, c == 13); }
  SendResult RestoreDraft(WindowHandle w, const Draft& d) override { return Send(w, {}, d); }
  SendResult Probe(WindowHandle w) override { return Send(w); }
  void Rest(std::uint32_t milliseconds) override { now += milliseconds, Due(); }

  // The client sends its box when its Enter timer fires, once awake.
  void Due() {
    if (now < std::max(due_, awake_at_)) return;
    if (!box.text.empty()) room.push_back(box.text);
    box = {}, due_ = UINT64_MAX;
  }
  // A message to window `w`: once taken, the client reads its box into `out`,
  // puts `in` into it (what an ANSI box keeps of it), or, on an Enter, arms
  // its timer, again at each Enter. Each message is bounded by 5 s. Fault 'S':
  // the client stalls 8 s inside the message and takes it when it wakes; 'L':
  // the same, but it is lost. Any other message that times out while it
  // sleeps is lost too.
  SendResult Send(WindowHandle w, Draft* out = nullptr, std::optional<Draft> in = {},
                  bool enter = false) {
    const char fault = received < faults.size() ? faults[received] : '.';
    ++received, ++messages[w];
    if (fault == 'S' || fault == 'L') awake_at_ = now + 8000;
    const std::uint64_t sent = std::exchange(now, std::max(now, awake_at_));
    if (now <= sent + 5000 || fault == 'S') {
      if (out) *out = box;
      if (in) box = {Ansi(in->text), in->selection_start, in->selection_end};
      if (enter) due_ = now + late_ms;
    }
    Due();
    if (now <= sent + 5000) return SendResult::kAnswered;
    now = sent + 5000;
    return SendResult::kTimedOut;
  }

  std::vector<std::pair<char, WindowHandle>> windows{{'-', 0}};  // class and parent, by handle
  Draft box;                                                     // what the input box holds
  Lines room;                      // what the client sent from its box
  std::string lookups, faults;     // the class of each lookup; a fault for each message, see Send
  std::uint64_t late_ms, now = 0;  // late_ms: from an Enter until it sends its box
  std::uint64_t due_ = UINT64_MAX, awake_at_ = 0;
  std::size_t received = 0, messages[64] = {};  // messages, and by window
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
    const LineResult result = PostChatLine(client, "hi", [] { return false; });
    EXPECT_EQ(client.lookups, lookups);
    EXPECT_EQ(result.outcome, box == 0 ? LineOutcome::kDropped : LineOutcome::kPosted);
    EXPECT_EQ(client.room, box == 0 ? Lines{} : Lines{"hi"});
    EXPECT_EQ(client.messages[box], client.received) << lookups;
  }
}

// A line's messages: read the draft, set the line, read it back, Enter, look
// whether the client has taken it, put the draft back. A row: the client's
// faults, one for each message it receives; how long after an Enter it sends
// its box; when the worker was done with the last line; the draft, which the
// box holds again at the end; the lines posted one after another, each with
// its outcome; those the room got; and a program that ends from the
// stop_at-th message on. No message goes to another window than the box (5).
TEST(ChatBridge, LineIsDoneOnceTheClientHasTakenItAndTheDraftComesBack) {
  using enum LineOutcome;
  const Draft typing{"typing", 0, 0}, empty{""}, selected{"abcdef", 1, 4};
  const struct {
    const char* faults;
    std::uint64_t late_ms, done_ms;
    Draft draft;
    std::vector<std::pair<std::string, LineOutcome>> lines;
    Lines room;
    std::size_t stop_at = 99;
  } rows[] = {
      // Stalled in the read: nothing of the line reached the box.
      {"L", 0, 5000, typing, {{"line", kGivenUp}}, {}},
      // In the set: the line lands as it wakes; the draft goes back over it.
      {".S", 0, 8000, typing, {{"line", kGivenUp}}, {}},
      // In the read-back: the line is in the box, unsent.
      {"..L", 0, 8000, typing, {{"line", kGivenUp}}, {}},
      // In the Enter, and again in the first look once awake: waited for twice.
      {"...S.S", 0, 16000, typing, {{"line", kPosted}}, {"line"}},
      // In the first look after the Enter.
      {"....L", 0, 8000, typing, {{"line", kPosted}}, {"line"}},
      // In the put-back, which is lost: put back again once it answers.
      {".....L", 0, 8000, typing, {{"line", kPosted}}, {"line"}},
      // The program ends before the Enter, and the client stalls in the put-back.
      {"...L", 0, 8000, typing, {{"line", kGivenUp}}, {}, 3},
      // Sends 50 ms after the Enter: two lines back to back from an empty box.
      {"", 50, 100, empty, {{"one", kPosted}, {"two", kPosted}}, {"one", "two"}},
      // The same with a selection in the box and a reason outside the code page.
      {"", 50, 50, selected, {{"lunch \xCE\xA9", kPosted}}, {"lunch ?"}},
      // Sends 6 s after the Enter: given up at 5 s, the box emptied again.
      {"", 6000, 5000, empty, {{"line", kGivenUp}}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    FakeClient client({"RRLIS"}, row.faults, row.late_ms, row.draft);
    const auto stopping = [&] { return client.received >= row.stop_at || client.now > 60000; };
    for (const auto& [line, outcome] : row.lines) {
      const LineResult result = PostChatLine(client, line, stopping);
      EXPECT_EQ(result.outcome, outcome) << line;
      if (result.stuck_box != 0) Recover(client, result, stopping);
    }
    EXPECT_EQ(client.now, row.done_ms);
    client.Rest(10000);  // a late send is due by now
    EXPECT_EQ(client.room, row.room);
    EXPECT_EQ(std::tie(client.box.text, client.box.selection_start, client.box.selection_end),
              std::tie(row.draft.text, row.draft.selection_start, row.draft.selection_end));
    EXPECT_EQ(client.messages[5], client.received);
  }
}

}  // namespace
}  // namespace dizod
