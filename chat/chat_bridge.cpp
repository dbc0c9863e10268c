#include "chat/chat_bridge.h"

#include "chat/client_windows.h"

namespace dizod {

namespace {

bool IsChatRoom(WindowOps& ops, WindowHandle document) {
  // All four lookups are always made, in this order, as the client expects
  // nothing else of us.
  bool complete = true;
  for (const char* kind : {kRichTextClass, kListBoxClass, kIconClass, kStaticClass}) {
    if (ops.FindChild(document, 0, kind) == 0) complete = false;
  }
  return complete;
}

WindowHandle FindInputBox(WindowOps& ops, WindowHandle room) {
  const WindowHandle first = ops.FindChild(room, 0, kRichTextClass);
  if (first == 0) return 0;
  return ops.FindChild(room, first, kRichTextClass);
}

LineResult Done(LineOutcome outcome) {
  LineResult result;
  result.outcome = outcome;
  return result;
}

// The client is behind with our messages: once it answers again, the box
// must hold the user's draft, not our line.
LineResult FellBehind(WindowHandle box, const Draft& draft, LineOutcome outcome,
                      const std::string& line) {
  return {outcome, box, draft, line};
}

// How often, and how long at most, the bridge looks whether the client has
// sent our line: within the bound on one message.
constexpr std::uint32_t kLookIntervalMs = 10;
constexpr int kMostLooks = 500;

// Reads the box until it no longer holds the line, that is until the client
// has sent it: a client may send its box some time after the Enter returned.
// Answered also when the client has not sent it within the bound.
SendResult AwaitLineSent(WindowOps& ops, WindowHandle box, const std::string& line) {
  // An empty line cannot be told from the box it leaves empty.
  if (line.empty()) return SendResult::kAnswered;
  for (int look = 1;; ++look) {
    Draft now;
    const SendResult read = ops.ReadDraft(box, now);
    if (read != SendResult::kAnswered || now.text != line || look == kMostLooks) return read;
    ops.Rest(kLookIntervalMs);
  }
}

bool AwaitClient(WindowOps& ops, WindowHandle box, const std::function<bool()>& stopping) {
  for (;;) {
    switch (ops.Probe(box)) {
      case SendResult::kAnswered:
        return true;
      case SendResult::kGone:
        return false;
      case SendResult::kTimedOut:
        if (stopping()) return false;
        break;
    }
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

LineResult PostChatLine(WindowOps& ops, const std::string& text,
                        const std::function<bool()>& stopping) {
  const WindowHandle room = LocateChatRoom(ops);
  if (room == 0) return {};
  const WindowHandle box = FindInputBox(ops, room);
  if (box == 0) return {};
  Draft draft;
  switch (ops.ReadDraft(box, draft)) {
    case SendResult::kGone:
      return {};
    case SendResult::kTimedOut:
      // Nothing of the line reached the box; a read handled late changes nothing.
      return Done(LineOutcome::kGivenUp);
    case SendResult::kAnswered:
      break;
  }
  if (stopping()) return Done(LineOutcome::kGivenUp);
  switch (ops.SetLine(box, text)) {
    case SendResult::kGone:
      return Done(LineOutcome::kGivenUp);
    case SendResult::kTimedOut:
      // The line may land in the box when the client wakes; it must not stay there.
      return FellBehind(box, draft, LineOutcome::kGivenUp, text);
    case SendResult::kAnswered:
      break;
  }
  if (stopping()) {
    if (ops.RestoreDraft(box, draft) == SendResult::kTimedOut) {
      return FellBehind(box, draft, LineOutcome::kGivenUp, text);
    }
    return Done(LineOutcome::kGivenUp);
  }
  switch (ops.SendChar(box, kCarriageReturn)) {
    case SendResult::kGone:
      return Done(LineOutcome::kGivenUp);
    case SendResult::kTimedOut:
      // The client has the Enter in hand and posts the line when it is done.
      return FellBehind(box, draft, LineOutcome::kPosted, text);
    case SendResult::kAnswered:
      break;
  }
  // Sending empties the box: an empty draft with the caret at 0 will be back.
  if (draft.text.empty() && draft.selection_start == 0 && draft.selection_end == 0) {
    return Done(LineOutcome::kPosted);
  }
  // Put back while our line is still in the box, the draft would be sent in
  // its place.
  switch (AwaitLineSent(ops, box, text)) {
    case SendResult::kGone:
      return Done(LineOutcome::kPosted);
    case SendResult::kTimedOut:
      return FellBehind(box, draft, LineOutcome::kPosted, text);
    case SendResult::kAnswered:
      break;
  }
  if (ops.RestoreDraft(box, draft) == SendResult::kTimedOut) {
    return FellBehind(box, draft, LineOutcome::kPosted, text);
  }
  return Done(LineOutcome::kPosted);
}

bool Recover(WindowOps& ops, const LineResult& result, const std::function<bool()>& stopping) {
  for (;;) {
    if (!AwaitClient(ops, result.stuck_box, stopping)) return false;
    if (!result.draft) return true;
    // With its Enter in hand, the client may still be about to send our line.
    const SendResult sent = result.outcome == LineOutcome::kPosted
                                ? AwaitLineSent(ops, result.stuck_box, result.line)
                                : SendResult::kAnswered;
    if (sent == SendResult::kGone) return false;
    if (sent == SendResult::kTimedOut) continue;  // behind again: wait once more
    // Not asked before it answers: a message the client had not yet taken
    // when its time ran out may be lost.
    switch (ops.RestoreDraft(result.stuck_box, *result.draft)) {
      case SendResult::kAnswered:
        return true;
      case SendResult::kGone:
        return false;
      case SendResult::kTimedOut:
        break;  // behind again: wait once more
    }
  }
}

}  // namespace dizod
