#pragma once
// Every fixed value of the toolkit: the chat client's window classes and the
// limits of the bridge and the pause.

namespace dizod {

inline constexpr const char* kFrameClass = "AOL Frame25";
inline constexpr const char* kClientAreaClass = "MDIClient";
inline constexpr const char* kDocumentClass = "AOL Child";
inline constexpr const char* kRichTextClass = "RICHCNTL";
inline constexpr const char* kListBoxClass = "_AOL_Listbox";
inline constexpr const char* kIconClass = "_AOL_Icon";
inline constexpr const char* kStaticClass = "_AOL_Static";

// The chat client posts the input box's content when the box receives this.
inline constexpr unsigned kCarriageReturn = 13;

// Longest wait for the chat client to handle one message: the cut-off after
// which Windows itself calls a program "not responding".
inline constexpr unsigned kSendTimeoutMs = 5000;

// Largest draft of the input box that the bridge reads back and restores.
inline constexpr unsigned kMaxDraftChars = 1u << 20;

}  // namespace dizod
