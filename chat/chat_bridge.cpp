#include "chat/chat_bridge.h"

#include "chat/client_windows.h"

namespace dizod {

namespace {

using enum LineOutcome;
using enum SendResult;

bool IsChatRoom(WindowOps& ops, WindowHandle document) {
  // All four lookups are always made, in this order, as the client expects
  // nothing else of us.
  int found = 0;
  for (const char* kind : {kRichTextClass, kListBoxClass, kIconClass, kStaticClass}) {
    found += ops.FindChild(document, 0, kind) != 0 ? 1 : 0;
  }
  return found == 4;
}

WindowHandle FindInputBox(WindowOps& ops, WindowHandle room) {
  const WindowHandle first = ops.FindChild(room, 0, kRichTextClass);
  if (first == 0) return 0;
  return ops.FindChild(room, first, kRichTextClass);
}

// Looks at the box until the client has taken our line, which empties it,
// or until `bound`: a key the user types or deletes meanwhile leaves it not
// taken. The look that ends nearest the bound is the last, whatever a look
// costs; once the program is ending, the last leaves time to put the draft
// back (a probe and two messages) before the end.
SendResult AwaitTaken(WindowOps& ops, WindowHandle box, Clock::time_point bound,
                      const EndingBy& ending, bool& taken) {
  Clock::duration cost{0};
  taken = false;
  while (!taken) {
    const Clock::time_point start = ops.Now();
    const std::optional<Clock::time_point> end = ending();
    if (start + cost / 2 >= bound || (end && start + 3 * cost >= *end)) break;
    std::string text;
    const SendResult read = ops.ReadText(box, text);
    if (read != kAnswered) return read;
    cost = ops.Now() - start;
    taken = text.empty();
    if (!taken) ops.Rest(kLookInterval);
  }
  return kAnswered;
}

// False when the box went away, or the program's end came first.
bool AwaitClient(WindowOps& ops, WindowHandle box, const EndingBy& ending) {
  for (;;) {
    const SendResult probe = ops.Probe(box);
    if (probe != kTimedOut) return probe == kAnswered;
    const std::optional<Clock::time_point> end = ending();
    if (end && ops.Now() >= *end) return false;
  }
}

}  // namespace

WindowHandle LocateChatRoom(WindowOps& ops) {
  const WindowHandle frame = ops.FindTopLevel(kFrameClass);
  if (frame == 0) return 0;
  const WindowHandle area = ops.FindChild(frame, 0, kClientAreaClass);
  if (area == 0) return 0;
  for (WindowHandle doc = ops.FindChild(area, 0, kDocumentClass); doc != 0;
       doc = ops.FindChild(area, doc, kDocumentClass)) {
    if (IsChatRoom(ops, doc)) return doc;
  }
  return 0;
}

LineResult PostChatLine(WindowOps& ops, const std::string& text, const EndingBy& ending) {
  const WindowHandle room = LocateChatRoom(ops);
  const WindowHandle box = room == 0 ? 0 : FindInputBox(ops, room);
  if (box == 0) return {};
  Stuck stuck;
  stuck.box = box;
  switch (ops.ReadDraft(box, stuck.draft)) {
    case kGone:
      return {};
    case kTimedOut:  // nothing of the line reached the box
      return {kGivenUp, {}};
    case kAnswered:
      break;
  }
  if (ending()) return {kGivenUp, {}};
  const SendResult sent = ops.SetLine(box, text);
  if (sent == kGone) return {kGivenUp, {}};
  // Our line is in the box, or lands there when the client wakes, and no
  // Enter follows: the draft goes back over it.
  if (sent == kTimedOut || ending()) return {kGivenUp, stuck};
  stuck.entered = true;
  const Clock::time_point enter_sent = ops.Now();
  switch (ops.SendChar(box, kCarriageReturn)) {
    case kGone:
      return {kGivenUp, {}};
    case kTimedOut:  // the client has the Enter in hand
      return {kPosted, stuck};
    case kAnswered:
      break;
  }
  stuck.entered_at = ops.Now();
  bool taken = false;
  switch (AwaitTaken(ops, box, enter_sent + kGiveUpBound, ending, taken)) {
    case kGone:
      return {kPosted, {}};
    case kTimedOut:
      return {kPosted, stuck};
    case kAnswered:
      break;
  }
  // Not taken in time: the panel goes on, the draft waits for the box.
  if (!taken) return {kGivenUp, stuck};
  // Taking the line emptied the box: an empty draft is back already.
  if (stuck.draft.text.empty()) return {kPosted, {}};
  if (ops.RestoreDraft(box, stuck.draft) != kTimedOut) return {kPosted, {}};
  stuck.entered = false;
  return {kPosted, stuck};
}

void Settle(WindowOps& ops, const Stuck& stuck, const EndingBy& ending) {
  for (;;) {
    if (!AwaitClient(ops, stuck.box, ending)) return;
    if (stuck.entered) {
      // A client that held our Enter has handled it once it answers.
      const Clock::time_point entered_at = stuck.entered_at.value_or(ops.Now());
      bool taken = false;
      const SendResult looked =
          AwaitTaken(ops, stuck.box, entered_at + kLateSendBound, ending, taken);
      if (looked == kGone) return;
      if (looked == kTimedOut) continue;
      if (taken && stuck.draft.text.empty()) return;
    }
    if (ops.RestoreDraft(stuck.box, stuck.draft) != kTimedOut) return;
  }
}

}  // namespace dizod
