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

// Puts the draft back over our line, or what the client left of it.
LineResult PutBack(WindowOps& ops, WindowHandle box, const Draft& draft, LineOutcome outcome,
                   const std::string& held) {
  if (ops.RestoreDraft(box, draft) == SendResult::kTimedOut) {
    return FellBehind(box, draft, outcome, held);
  }
  return Done(outcome);
}

// How often, and how long at most, the bridge looks whether the client has
// taken our line: within the bound on one message.
constexpr std::uint32_t kLookIntervalMs = 10;
constexpr std::uint32_t kLongestWaitMs = 5000;

// Reads the box until it no longer holds `held`, our line as the box holds
// it, that is until the client has taken it: a client may send its box some
// time after the Enter returned. `taken` stays false when the line is still
// there at the bound. An empty line cannot be told from the box it leaves
// empty.
SendResult AwaitLineTaken(WindowOps& ops, WindowHandle box, const std::string& held, bool& taken) {
  taken = held.empty();
  for (std::uint32_t waited = 0; !taken; waited += kLookIntervalMs) {
    Draft now;
    const SendResult read = ops.ReadDraft(box, now);
    taken = read == SendResult::kAnswered && now.text != held;
    if (read != SendResult::kAnswered || taken || waited >= kLongestWaitMs) return read;
    ops.Rest(kLookIntervalMs);
  }
  return SendResult::kAnswered;
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
  // The box may keep less than we wrote (a character its code page lacks, a
  // length limit): only what it holds tells whether the client has taken it.
  Draft held;
  SendResult result = ops.SetLine(box, text);
  if (result == SendResult::kAnswered) result = ops.ReadDraft(box, held);
  switch (result) {
    case SendResult::kGone:
      return Done(LineOutcome::kGivenUp);
    case SendResult::kTimedOut:
      // Our line is in the box with no Enter to send it, or lands there when
      // the client wakes; it must not stay there.
      return FellBehind(box, draft, LineOutcome::kGivenUp, text);
    case SendResult::kAnswered:
      break;
  }
  if (stopping()) return PutBack(ops, box, draft, LineOutcome::kGivenUp, held.text);
  switch (ops.SendChar(box, kCarriageReturn)) {
    case SendResult::kGone:
      return Done(LineOutcome::kGivenUp);
    case SendResult::kTimedOut:
      // The client has the Enter in hand and posts the line when it is done.
      return FellBehind(box, draft, LineOutcome::kPosted, held.text);
    case SendResult::kAnswered:
      break;
  }
  // Until the client has taken our line, the next line would read it as the
  // user's draft, and a draft put back would be sent in its place.
  bool taken = false;
  switch (AwaitLineTaken(ops, box, held.text, taken)) {
    case SendResult::kGone:
      return Done(LineOutcome::kPosted);
    case SendResult::kTimedOut:
      return FellBehind(box, draft, LineOutcome::kPosted, held.text);
    case SendResult::kAnswered:
      break;
  }
  // Past the bound the line is given up: the draft goes back over it.
  if (!taken) return PutBack(ops, box, draft, LineOutcome::kGivenUp, held.text);
  // Taking the line emptied the box: an empty draft is back already.
  if (draft.text.empty() && draft.selection_start == 0 && draft.selection_end == 0) {
    return Done(LineOutcome::kPosted);
  }
  return PutBack(ops, box, draft, LineOutcome::kPosted, held.text);
}

bool Recover(WindowOps& ops, const LineResult& result, const std::function<bool()>& stopping) {
  for (;;) {
    if (!AwaitClient(ops, result.stuck_box, stopping)) return false;
    if (!result.draft) return true;
    // With its Enter in hand, the client may still be about to send our line.
    // Taken or, past the bound, given up: the draft goes back either way.
    bool taken = true;
    const SendResult sent = result.outcome == LineOutcome::kPosted
                                ? AwaitLineTaken(ops, result.stuck_box, result.line, taken)
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
