// The chat room bridge against a small fake chat client, in virtual time: its
// window tree, an ANSI input box, and a client that may stall inside a
// message, lose it, or send its box some time after the Enter.

#include "chat/chat_bridge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string_view>
#include <vector>

namespace dizod {
namespace {

using Lines = std::vector<std::string>;

// Window classes by one letter each, as the tables write them.
constexpr std::string_view kClasses[] = {"AOL Frame25",  "MDIClient", "AOL Child",   "RICHCNTL",
                                         "_AOL_Listbox", "_AOL_Icon", "_AOL_Static", "Panel"};
char Letter(std::string_view name) {
  return "FMARLISP"[std::find(std::begin(kClasses), std::end(kClasses), name) - kClasses];
}

// What an ANSI box keeps: a character beyond Latin-1 (the part of Windows-1252
// the rows use) becomes '?'.
std::string Ansi(const std::string& utf8) {
  return std::regex_replace(utf8, std::regex("[\xC4-\xF4][\x80-\xBF]+"), "?");
}

struct FakeClient : WindowOps {
  struct Window {
    char cls;
    WindowHandle parent;
    Draft box;  // what an input box holds
    int messages;
  };
  std::vector<Window> windows = std::vector<Window>(1);  // by handle; 0 holds the frame
  Lines room;                                            // what the client sent from its box
  std::string lookups;                                   // the class of each lookup
  std::string faults;                                    // one for each message received, see Send
  std::uint64_t late_ms = 0, now = 0;  // late_ms: how long after an Enter it sends its box
  std::size_t received = 0;

  // A child of `parent` for each letter, in order; a panel 'P' holds a room's.
  void Add(WindowHandle parent, std::string_view classes) {
    for (const char cls : classes) {
      windows.push_back({cls, parent, {}, 0});
      Add(windows.size() - 1, cls == 'P' ? "RRLIS" : "");
    }
  }
  // A frame (handle 1) whose client area (2) holds a document for each
  // string. Handles count on in the order the windows are made.
  void Build(const Lines& documents) {
    Add(0, "F");
    Add(1, "M");
    for (const std::string& children : documents) {
      Add(2, "A");
      Add(windows.size() - 1, children);
    }
  }

  WindowHandle FindTopLevel(const char* name) override { return Find(0, 0, Letter(name)); }
  WindowHandle FindChild(WindowHandle parent, WindowHandle after, const char* name) override {
    return Find(parent, after, Letter(name));
  }
  SendResult ReadDraft(WindowHandle box, Draft& out) override {
    return Send(box, [&](Draft& held) { out = held; });
  }
  SendResult SetLine(WindowHandle box, const std::string& text) override {
    return Send(box, [&](Draft& held) { held = {Ansi(text)}; });
  }
  SendResult SendChar(WindowHandle box, unsigned character) override {
    // The Enter arms the client's timer, again at each Enter.
    return Send(box, [&](Draft&) {
      if (character == 13) timer_ = {box, now + late_ms};
    });
  }
  SendResult RestoreDraft(WindowHandle box, const Draft& draft) override {
    return Send(box, [&](Draft& held) {
      held = {Ansi(draft.text), draft.selection_start, draft.selection_end};
    });
  }
  SendResult Probe(WindowHandle box) override { return Send(box, Nothing); }
  static void Nothing(Draft&) {}
  void Rest(std::uint32_t milliseconds) override { now += milliseconds, Due(); }
  static auto Tie(const Draft& d) { return std::tie(d.text, d.selection_start, d.selection_end); }

  WindowHandle Find(WindowHandle parent, WindowHandle after, char cls) {
    lookups += cls;
    for (WindowHandle w = after + 1; w < windows.size(); ++w) {
      if (windows[w].parent == parent && windows[w].cls == cls) return w;
    }
    return 0;
  }
  // The client sends its box when its Enter timer fires, once awake.
  void Due() {
    if (timer_.first == 0 || now < std::max(timer_.second, awake_at_)) return;
    Draft& held = windows[std::exchange(timer_, {}).first].box;
    if (!held.text.empty()) room.push_back(held.text);
    held = {};
  }
  // Each message is bounded by 5 s. Fault 'S': the client stalls 8 s inside
  // the message and takes it when it wakes; 'L': the same, but it is lost.
  // Any other message that times out while it sleeps is lost too.
  template <typename Handle>
  SendResult Send(WindowHandle box, const Handle& handle) {
    const char fault = received < faults.size() ? faults[received] : '.';
    ++received, ++windows[box].messages;
    if (fault == 'S' || fault == 'L') awake_at_ = now + 8000;
    const std::uint64_t sent = std::exchange(now, std::max(now, awake_at_));
    if (now <= sent + 5000 || fault == 'S') handle(windows[box].box);
    Due();
    if (now <= sent + 5000) return SendResult::kAnswered;
    now = sent + 5000;
    return SendResult::kTimedOut;
  }
  std::pair<WindowHandle, std::uint64_t> timer_;
  std::uint64_t awake_at_ = 0;
};

// Each document's children by class letter; the line goes into the window
// `box` (see Build; 0: nowhere). `lookups`: every lookup, in order.
TEST(ChatBridge, LineGoesIntoTheSecondRichTextBoxOfTheFirstDocumentWithAllFourKinds) {
  const struct {
    Lines documents;
    WindowHandle box;
    const char* lookups;
  } rows[] = {
      {{}, 0, "FMA"},
      {{"RLIS"}, 0, "FMARLISRR"},
      {{"RRRLIS", "RRLIS"}, 5, "FMARLISRR"},
      {{"LIS", "RRIS", "RRLS", "RRLI", "P", "RRLIS"}, 31, "FMARLISARLISARLISARLISARLISARLISRR"},
  };
  for (const auto& row : rows) {
    FakeClient client;
    client.Build(row.documents);
    const LineResult result = PostChatLine(client, "hi", [] { return false; });
    EXPECT_EQ(client.lookups, row.lookups);
    EXPECT_EQ(result.outcome, row.box == 0 ? LineOutcome::kDropped : LineOutcome::kPosted);
    EXPECT_EQ(client.room, row.box == 0 ? Lines{} : Lines{"hi"});
    // No other window gets a message.
    EXPECT_EQ(client.received, client.windows[row.box].messages) << row.lookups;
  }
}

// A line's messages: read the draft, set the line, read it back, Enter, look
// whether the client has taken it, put the draft back. A row: the client's
// faults, one for each message it receives; how long after an Enter it sends
// its box; the lines posted one after another; the draft. Then the box at the
// end, the lines the room got, each line's outcome, when the worker was done
// with the last line; and a program that ends from the stop_at-th message on.
TEST(ChatBridge, LineIsDoneOnceTheClientHasTakenItAndTheDraftComesBack) {
  using enum LineOutcome;
  const Draft typing{"typing", 2, 2}, empty{""}, selected{"abcdef", 1, 4};
  const struct {
    const char* faults;
    std::uint64_t late_ms;
    Lines lines;
    Draft draft, box;
    Lines room;
    std::vector<LineOutcome> outcomes;
    std::uint64_t done_ms;
    std::size_t stop_at = 99;
  } rows[] = {
      // Stalled in the read: nothing of the line reached the box.
      {"L", 0, {"line"}, typing, typing, {}, {kGivenUp}, 5000},
      // In the set: the line lands as it wakes; the draft goes back over it.
      {".S", 0, {"line"}, typing, typing, {}, {kGivenUp}, 8000},
      // In the read-back: the line is in the box, unsent.
      {"..L", 0, {"line"}, typing, typing, {}, {kGivenUp}, 8000},
      // In the Enter, and again in the first look once awake: waited for twice.
      {"...S.S", 0, {"line"}, typing, typing, {"line"}, {kPosted}, 16000},
      // In the first look after the Enter.
      {"....L", 0, {"line"}, typing, typing, {"line"}, {kPosted}, 8000},
      // In the put-back, which is lost: put back again once it answers.
      {".....L", 0, {"line"}, typing, typing, {"line"}, {kPosted}, 8000},
      // The program ends before the Enter, and the client stalls in the put-back.
      {"...L", 0, {"line"}, typing, typing, {}, {kGivenUp}, 8000, 3},
      // Sends 50 ms after the Enter: two lines back to back from an empty box.
      {"", 50, {"one", "two"}, empty, empty, {"one", "two"}, {kPosted, kPosted}, 100},
      // The same with a selection in the box and a reason outside the code page.
      {"", 50, {"lunch \xCE\xA9"}, selected, selected, {"lunch ?"}, {kPosted}, 50},
      // Sends 6 s after the Enter: given up at 5 s, the box emptied again.
      {"", 6000, {"line"}, empty, empty, {}, {kGivenUp}, 5000},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    FakeClient client;
    std::tie(client.faults, client.late_ms) = std::pair(row.faults, row.late_ms);
    client.Build({"RRLIS"});
    Draft& box = client.windows[5].box = row.draft;
    const auto stopping = [&] { return client.received >= row.stop_at || client.now > 60000; };
    std::vector<LineOutcome> outcomes;
    for (const std::string& line : row.lines) {
      const LineResult result = PostChatLine(client, line, stopping);
      outcomes.push_back(result.outcome);
      if (result.stuck_box != 0) Recover(client, result, stopping);
    }
    EXPECT_EQ(client.now, row.done_ms);
    client.Rest(10000);  // a late send is due by now
    EXPECT_EQ(client.room, row.room);
    EXPECT_EQ(FakeClient::Tie(box), FakeClient::Tie(row.box));
    EXPECT_EQ(outcomes, row.outcomes);
  }
}

}  // namespace
}  // namespace dizod
