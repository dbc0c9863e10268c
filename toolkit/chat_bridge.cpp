#include "toolkit/chat_bridge.h"

#include "toolkit/client_windows.h"

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

void PostChatLine(WindowOps& ops, const std::string& text) {
  const WindowHandle room = LocateChatRoom(ops);
  if (room == 0) return;
  const WindowHandle box = FindInputBox(ops, room);
  if (box == 0) return;
  // A box whose text cannot even be read is not answering: leave it alone.
  const std::optional<std::string> draft = ops.GetText(box);
  if (!draft) return;
  if (!ops.SetAnsiText(box, text)) return;
  if (!ops.SendChar(box, kCarriageReturn)) return;
  if (!draft->empty()) ops.SetText(box, *draft);
}

}  // namespace dizod
