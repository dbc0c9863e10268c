// The real program against a chat client that is slow, stalls or stops
// answering: the panel keeps answering, no line is posted late or twice, the
// user's draft and caret come back once the client answers, and Exit ends the
// program in time. (A room closed in the middle of a line is the explorer's,
// with the in-process test of a window that is gone; a client that posts its
// box late is the host's, through the same bridge code.)

#include <gtest/gtest.h>

#include "bench/driver.h"

namespace dizod::e2e {
namespace {

using lines::kBanner;
using lines::kStartup;

// "half-typed Ωé" with the caret after "half", as the stand-in reports its box.
const wchar_t kDraftOptions[] = L"--draft \"half-typed \u03A9\u00E9\" --caret 4";
const char kDraftBox[] = "4,4:680061006C0066002D00740079007000650064002000A903E900";

// The draft comes back right after a line is posted (or once the client wakes).
bool DraftBack(const Standin& chat) {
  return WaitFor([&] { return chat.LastBox() == kDraftBox; }, 4000);
}

// The panel answers its own messages quickly, whatever the client does: a
// panel that waited on the client would take seconds.
constexpr long long kWorstLatencyMs = 300;

// Ends the program with Exit and returns how long it took to be gone.
long long ExitAndTime(Panel& panel) {
  const long long clicked = NowMs();
  panel.Click(Control::kExit);
  EXPECT_TRUE(panel.process().WaitExit(15000));
  return NowMs() - clicked;
}

TEST(ClientFaults, SlowClientGetsEveryLineAndTheDraftBack) {
  Standin chat({"room"}, std::wstring(kDraftOptions) + L" --delay 650");
  Panel panel;
  LatencyProbe probe(panel.Hwnd());
  // Eight messages a line (the draft read, the line, Enter, a look that the
  // line has left the box, the draft put back), 0.65 s each: 5.2 s.
  ASSERT_TRUE(chat.WaitPosted(3, 60000));
  EXPECT_EQ(chat.PostedBytes(), kStartup);
  EXPECT_TRUE(DraftBack(chat)) << chat.LastBox();
  EXPECT_LT(probe.WorstMs(), kWorstLatencyMs);
  // The sign-off runs out of time after its first line, and the program ends
  // with the draft back in place.
  EXPECT_LT(ExitAndTime(panel), 8000);
  EXPECT_EQ(chat.PostedBytes().size(), 4u);
  EXPECT_TRUE(DraftBack(chat)) << chat.LastBox();
}

struct Stall {
  const char* message;
  std::vector<std::string> posted;  // of the start-up lines
};

class StallInside : public ::testing::TestWithParam<Stall> {};

// The client sleeps 12 s inside one message of the first line and then wakes:
// the line is given up before its Enter (the text set) or, stalled inside the
// Enter, posted once the client is done with it; the lines due meanwhile are
// dropped, and the box holds the draft again.
TEST_P(StallInside, FirstLineAndTheDraftComeThrough) {
  const Stall& stall = GetParam();
  Standin chat({"room"}, std::wstring(kDraftOptions) + L" --stall " +
                             std::wstring(stall.message, stall.message + strlen(stall.message)) +
                             L":12000");
  Panel panel;
  const long long launched = NowMs();
  LatencyProbe probe(panel.Hwnd());
  Sleep(14000);
  EXPECT_EQ(chat.PostedBytes(), stall.posted);
  EXPECT_TRUE(DraftBack(chat)) << chat.LastBox();
  EXPECT_LT(probe.WorstMs(), kWorstLatencyMs);
  // Awake again, the client gets whole sequences once more.
  const size_t before = chat.Posted().size();
  panel.MouseClick(1, 20);  // a real click on the bare left margin: About
  ASSERT_TRUE(chat.WaitPosted(before + 3, 8000));
  std::vector<std::string> expected = stall.posted;
  expected.insert(expected.end(), kStartup.begin(), kStartup.end());
  EXPECT_EQ(chat.PostedBytes(), expected);
  EXPECT_TRUE(DraftBack(chat)) << chat.LastBox();
  EXPECT_LT(ExitAndTime(panel), 8000);
  EXPECT_GT(NowMs() - launched, 14000);
}

INSTANTIATE_TEST_SUITE_P(E2e, StallInside,
                         ::testing::Values(Stall{"set", {}}, Stall{"enter", {kBanner}}),
                         [](const auto& info) { return std::string(info.param.message); });

// A client that stops answering in the middle of the first line: nothing is
// posted, the panel answers, and Exit (while that line is still on its way)
// ends the program within 8 s.
TEST(ClientFaults, ClientThatNeverAnswersAgainDoesNotHoldUpExit) {
  Standin chat({"room"}, L"--hang set");
  Panel panel;
  LatencyProbe probe(panel.Hwnd());
  Sleep(1000);
  EXPECT_LT(ExitAndTime(panel), 8000);
  EXPECT_TRUE(chat.Posted().empty());
  EXPECT_LT(probe.WorstMs(), kWorstLatencyMs);
}

struct Rich {
  const wchar_t* kind;
  const char* box;  // what the box holds after each line
};

class RichEdit : public ::testing::TestWithParam<Rich> {};

// A real rich edit as the input box, holding text outside Windows-1252 with
// the caret in the middle: after each line, the caret is where it was, and
// the text too, but for what an ANSI box cannot hold. That one hands its text
// over in Windows-1252 made by its own conversion, look-alikes included: the
// omega comes back as O, the mu as the micro sign, the alpha as a.
TEST_P(RichEdit, DraftAndTheCaretSurviveEachLine) {
  Standin chat({"room"},
               std::wstring(L"--rich ") + GetParam().kind +
                   L" --draft \"Gr\u00FC\u00DFe \u03A9\u03BC\u03AD\u03B3\u03B1\" --caret 5");
  Panel panel;
  ASSERT_TRUE(chat.WaitPosted(3, 8000));
  EXPECT_EQ(chat.PostedBytes(), kStartup);
  Sleep(300);
  EXPECT_EQ(chat.LastBox(), GetParam().box);
}

INSTANTIATE_TEST_SUITE_P(
    E2e, RichEdit,
    ::testing::Values(Rich{L"A", "5,5:47007200FC00DF00650020004F00B5003F003F006100"},
                      Rich{L"W", "5,5:47007200FC00DF0065002000A903BC03AD03B303B103"}),
    [](const auto& info) { return std::string(1, char(info.param.kind[0])); });

}  // namespace
}  // namespace dizod::e2e
