#include "chat/chat_bridge.h"

#include <gtest/gtest.h>

#include "tests/support/sim/sim.h"

namespace dizod {
namespace {

using sim::ChatClient;
using sim::Fault;
using Strings = std::vector<std::string>;

LineResult Post(ChatClient& chat, const std::string& text) {
  return PostChatLine(chat, text, [] { return false; });
}

// As the worker does: the line, then, where the client fell behind, waiting
// for it to answer again and putting the draft back. Returns when the worker
// knew how the line went.
LineResult PostAndRecover(ChatClient& chat, const std::string& text, double* settled) {
  const LineResult result = Post(chat, text);
  *settled = chat.Clock();
  if (result.stuck_box != 0) Recover(chat, result, [&] { return chat.Clock() == sim::kForever; });
  return result;
}

// The line goes into the second rich-text box of the first document that has
// a child of each of the four kinds a room has; no other window gets a message.
TEST(LocateChatRoom, FirstDocumentWithAllFourKindsGetsTheLineInItsSecondRichTextBox) {
  ChatClient none, frame_only;
  frame_only.AddTopLevel("AOL Frame25");
  EXPECT_EQ(LocateChatRoom(none), 0u);
  EXPECT_EQ(LocateChatRoom(frame_only), 0u);
  const Strings room = {"RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Icon", "_AOL_Static"};
  struct Case {
    const char* name;
    std::vector<Strings> documents;  // the children of each, in order
    int doc, box;                    // where the line goes; doc -1: nowhere
  };
  const Case cases[] = {
      {"no document", {}, -1, 0},
      {"no static", {{"RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Icon"}}, -1, 0},
      {"no icon", {{"RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Static"}}, -1, 0},
      {"no list", {{"RICHCNTL", "RICHCNTL", "_AOL_Icon", "_AOL_Static"}}, -1, 0},
      {"no rich text", {{"_AOL_Listbox", "_AOL_Icon", "_AOL_Static"}}, -1, 0},
      {"one rich-text box", {{"RICHCNTL", "_AOL_Listbox", "_AOL_Icon", "_AOL_Static"}}, -1, 0},
      {"three",
       {{"RICHCNTL", "RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Icon", "_AOL_Static"}},
       0,
       1},
      {"decoys first", {{}, {"RICHCNTL", "_AOL_Listbox", "_AOL_Icon"}, room, room}, 2, 1},
  };
  for (const Case& c : cases) {
    ChatClient chat;
    const WindowHandle area = chat.AddClient();
    std::vector<WindowHandle> docs;
    for (const Strings& children : c.documents) {
      docs.push_back(chat.AddChild(area, "AOL Child"));
      for (const std::string& child : children) chat.AddChild(docs.back(), child);
    }
    const LineOutcome outcome = Post(chat, "line").outcome;
    if (c.doc < 0) {
      EXPECT_EQ(outcome, LineOutcome::kDropped) << c.name;
      EXPECT_EQ(chat.TotalMessages(), 0) << c.name;
      continue;
    }
    ASSERT_EQ(chat.PostedTexts(), Strings{"line"}) << c.name;
    EXPECT_EQ(chat.Posted()[0].box, chat.Child(docs[c.doc], c.box)) << c.name;
    EXPECT_EQ(chat.TotalMessages(), chat.MessagesTo(chat.Child(docs[c.doc], c.box))) << c.name;
  }
}

// Every document is asked for all four kinds of children, in this order, even
// when one of them is missing; a document's grandchildren do not count.
TEST(LocateChatRoom, AsksEachDocumentForAllFourKindsOfItsOwnChildren) {
  ChatClient chat;
  const WindowHandle area = chat.AddClient();
  const WindowHandle doc = chat.AddChild(area, "AOL Child");
  for (const char* kind : {"RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Static"}) {
    chat.AddChild(doc, kind);
  }
  const WindowHandle inner = chat.AddChild(chat.AddChild(area, "AOL Child"), "Panel");
  for (const char* kind : {"RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Icon", "_AOL_Static"}) {
    chat.AddChild(inner, kind);
  }
  EXPECT_EQ(LocateChatRoom(chat), 0u);
  EXPECT_EQ(chat.Lookups(), (Strings{"MDIClient", "AOL Child", "RICHCNTL", "_AOL_Listbox",
                                     "_AOL_Icon", "_AOL_Static", "AOL Child", "RICHCNTL",
                                     "_AOL_Listbox", "_AOL_Icon", "_AOL_Static", "AOL Child"}));
}

// The user's draft and caret go back into the box once the line has left it.
// An empty box stays empty; an empty line cannot be told from the box it
// leaves empty, so its draft goes back at once, without a look.
TEST(PostChatLine, PutsTheDraftAndItsCaretBackAfterTheLine) {
  const struct {
    const char* draft;
    std::uint32_t caret;
    const char* line;
    int messages;  // read, set, Enter, a look that the line has left, put back
  } cases[] = {{"half a sentence é", 5, "announcement", 5},
               {"abc", 0, "more", 5},
               {"", 0, "again", 3},
               {"draft", 2, "", 4}};
  for (const auto& c : cases) {
    ChatClient chat;
    const WindowHandle box = chat.Child(chat.AddRoom(chat.AddClient()), 1);
    chat.TextOf(box) = c.draft;
    chat.Select(box, c.caret, c.caret);
    Post(chat, c.line);
    EXPECT_EQ(chat.PostedTexts(), Strings{c.line});
    EXPECT_EQ(chat.TextOf(box), c.draft);
    EXPECT_EQ(chat.SelectionOf(box), (std::pair{c.caret, c.caret}));
    EXPECT_EQ(chat.MessagesTo(box), c.messages) << c.draft;
    EXPECT_DOUBLE_EQ(chat.Clock(), 0);
  }
}

// One fault of the client at one of the line's messages (0 read, 1 set,
// 2 Enter, 3 putting the draft back), and what becomes of the line and of the
// user's draft "typing" with the caret after "ty", back once the client wakes.
struct FaultCase {
  Fault fault;
  int at;
  LineOutcome outcome;
  Strings posted;
  double posted_at;   // when the line reached the room
  double settled_at;  // when the worker knew how the line went
};

TEST(PostChatLine, EveryFaultAtEveryMessageKeepsTheDraftAndNeverPostsAGivenUpLine) {
  const FaultCase cases[] = {
      {Fault::kSlow, 0, LineOutcome::kPosted, {"line"}, 3, 3},
      {Fault::kSlow, 3, LineOutcome::kPosted, {"line"}, 0, 3},
      // Asleep for 12 s from the message on: 5 s later the worker gives up.
      {Fault::kStall, 0, LineOutcome::kGivenUp, {}, 0, 5},
      {Fault::kStall, 1, LineOutcome::kGivenUp, {}, 0, 5},
      {Fault::kStall, 2, LineOutcome::kPosted, {"line"}, 12, 5},
      {Fault::kStall, 3, LineOutcome::kPosted, {"line"}, 0, 5},
      {Fault::kHang, 0, LineOutcome::kGivenUp, {}, 0, 5},
      {Fault::kHang, 1, LineOutcome::kGivenUp, {}, 0, 5},
      {Fault::kCloseRoom, 0, LineOutcome::kDropped, {}, 0, 0},
      {Fault::kCloseRoom, 1, LineOutcome::kGivenUp, {}, 0, 0},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(c.fault) << " at " << c.at);
    ChatClient chat;
    const WindowHandle box = chat.Child(chat.AddRoom(chat.AddClient()), 1);
    chat.TextOf(box) = "typing";
    chat.Select(box, 2, 2);
    int message = 0;
    chat.next_fault = [&] { return message++ == c.at ? c.fault : Fault::kNone; };
    double settled = 0;
    const LineResult result = PostAndRecover(chat, "line", &settled);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_DOUBLE_EQ(settled, c.settled_at);
    EXPECT_EQ(chat.PostedTexts(), c.posted);
    if (!c.posted.empty()) {
      EXPECT_DOUBLE_EQ(chat.Posted()[0].time, c.posted_at);
    }
    EXPECT_EQ(chat.TextOf(box), "typing");
    EXPECT_EQ(chat.SelectionOf(box), (std::pair<std::uint32_t, std::uint32_t>{2, 2}));
  }
}

// A client that sends its box some time after the Enter has returned: the
// draft goes back only once our line has left the box, so the room never gets
// it. The bridge waits up to the bound on one message, 5 s, for the line to
// leave; a client that stalls 12 s inside the Enter is waited for again once
// it answers.
TEST(PostChatLine, ClientThatSendsLateGetsOurLineAndTheDraftComesBackAfter) {
  struct LateCase {
    double late;
    bool stall_in_enter;
    double posted_at;
  };
  for (const LateCase c :
       {LateCase{0.05, false, 0.05}, LateCase{4.5, false, 4.5}, LateCase{0.05, true, 12.05}}) {
    SCOPED_TRACE(testing::Message() << c.late << (c.stall_in_enter ? " after a stall" : ""));
    ChatClient chat;
    const WindowHandle box = chat.Child(chat.AddRoom(chat.AddClient()), 1);
    chat.TextOf(box) = "half-typed draft";
    chat.Select(box, 4, 4);
    chat.late_send_seconds = c.late;
    int message = 0;
    chat.next_fault = [&] {
      ++message;
      if (message == 1) return Fault::kSendLate;
      return message == 3 && c.stall_in_enter ? Fault::kStall : Fault::kNone;
    };
    double settled = 0;
    EXPECT_EQ(PostAndRecover(chat, "line", &settled).outcome, LineOutcome::kPosted);
    chat.Settle();
    EXPECT_EQ(chat.PostedTexts(), Strings{"line"});
    EXPECT_DOUBLE_EQ(chat.Posted()[0].time, c.posted_at);
    EXPECT_EQ(chat.TextOf(box), "half-typed draft");
    EXPECT_EQ(chat.SelectionOf(box), (std::pair<std::uint32_t, std::uint32_t>{4, 4}));
  }
}

// Stalled once inside the line's text and again inside putting the draft
// back: the worker waits each time and the draft comes back in the end.
TEST(Recover, ClientThatStallsTwiceGetsTheDraftBack) {
  ChatClient chat;
  const WindowHandle box = chat.Child(chat.AddRoom(chat.AddClient()), 1);
  chat.TextOf(box) = "draft";
  chat.Select(box, 1, 1);
  int message = 0;
  // Read, set (stalls), then the first try at putting the draft back (stalls).
  chat.next_fault = [&] { return ++message == 2 || message == 3 ? Fault::kStall : Fault::kNone; };
  const LineResult result = Post(chat, "line");
  EXPECT_EQ(result.outcome, LineOutcome::kGivenUp);
  EXPECT_TRUE(Recover(chat, result, [] { return false; }));
  EXPECT_EQ(chat.TextOf(box), "draft");
  EXPECT_EQ(chat.SelectionOf(box), (std::pair<std::uint32_t, std::uint32_t>{1, 1}));
  EXPECT_TRUE(chat.Posted().empty());
  // A put-back that timed out may be lost: it is sent again once the client
  // answers, here at 24 s (awake at 12, stalled again until 24).
  EXPECT_DOUBLE_EQ(chat.Clock(), 24);
  EXPECT_EQ(chat.MessagesTo(box), 8);  // read, set, 2 probes, put back, 2 probes, put back
}

TEST(PostChatLine, ClientThatStopsAnsweringIsNotAskedAgainAndNeverGetsAnEnter) {
  ChatClient chat;
  const WindowHandle box = chat.Child(chat.AddRoom(chat.AddClient()), 1);
  chat.next_fault = [] { return Fault::kHang; };
  EXPECT_EQ(Post(chat, "first").outcome, LineOutcome::kGivenUp);
  EXPECT_EQ(chat.MessagesTo(box), 1);
  // Hung for 5 s by now: the next line's read is not even sent.
  EXPECT_EQ(Post(chat, "second").outcome, LineOutcome::kGivenUp);
  EXPECT_EQ(chat.MessagesTo(box), 1);
  EXPECT_DOUBLE_EQ(chat.Clock(), 5);
  EXPECT_TRUE(chat.Posted().empty());
}

TEST(PostChatLine, ProgramEndingBetweenSetAndEnterPutsTheDraftBackWithoutEnter) {
  ChatClient chat;
  const WindowHandle box = chat.Child(chat.AddRoom(chat.AddClient()), 1);
  chat.TextOf(box) = "draft";
  int asked = 0;
  const LineResult result = PostChatLine(chat, "line", [&] { return ++asked > 1; });
  EXPECT_EQ(result.outcome, LineOutcome::kGivenUp);
  EXPECT_TRUE(chat.Posted().empty());
  EXPECT_EQ(chat.TextOf(box), "draft");
}

TEST(Recover, WaitsForTheClientToWakeAndGivesUpOnAGoneBox) {
  ChatClient chat;
  const WindowHandle room = chat.AddRoom(chat.AddClient());
  const WindowHandle box = chat.Child(room, 1);
  chat.TextOf(box) = "draft";
  chat.next_fault = [] { return Fault::kStall; };
  const LineResult result = Post(chat, "line");  // stalls inside the read until 12
  EXPECT_EQ(result.stuck_box, 0u);               // a read changes nothing: nothing to wait for
  chat.next_fault = nullptr;
  ChatClient gone;
  const WindowHandle gone_box = gone.Child(gone.AddRoom(gone.AddClient()), 1);
  gone.next_fault = [] { return Fault::kCloseRoom; };
  Post(gone, "line");
  gone.next_fault = nullptr;
  EXPECT_FALSE(
      Recover(gone, {LineOutcome::kGivenUp, gone_box, Draft{"x", 0, 0}, ""}, [] { return false; }));
  EXPECT_TRUE(
      Recover(chat, {LineOutcome::kGivenUp, box, Draft{"back", 2, 4}, ""}, [] { return false; }));
  EXPECT_DOUBLE_EQ(chat.Clock(), 12);
  EXPECT_EQ(chat.TextOf(box), "back");
  EXPECT_EQ(chat.SelectionOf(box), (std::pair<std::uint32_t, std::uint32_t>{2, 4}));
}

}  // namespace
}  // namespace dizod
