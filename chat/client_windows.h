#pragma once
// What the bridge knows of the chat client: the classes of its windows, and
// the character on which its input box posts what it holds.

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

}  // namespace dizod
