#include "toolkit/chat_bridge.h"

#include <gtest/gtest.h>

#include "tests/support/sim/sim.h"

namespace dizod {
namespace {

using sim::ChatClient;

TEST(LocateChatRoom, NothingWithoutTheClientOrItsParts) {
  ChatClient none;
  EXPECT_EQ(LocateChatRoom(none), 0u);

  ChatClient frame_only;
  frame_only.AddTopLevel("AOL Frame25");
  EXPECT_EQ(LocateChatRoom(frame_only), 0u);

  ChatClient no_documents;
  no_documents.AddClient();
  EXPECT_EQ(LocateChatRoom(no_documents), 0u);
  EXPECT_EQ(no_documents.TotalMessages(), 0);
}

TEST(LocateChatRoom, DocumentLackingOneKindOfChildIsNoRoom) {
  for (const char* missing : {"RICHCNTL", "_AOL_Listbox", "_AOL_Icon", "_AOL_Static"}) {
    ChatClient chat;
    const WindowHandle area = chat.AddClient();
    const WindowHandle doc = chat.AddChild(area, "AOL Child");
    for (const char* kind : {"RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Icon", "_AOL_Static"}) {
      if (std::string(kind) != missing) chat.AddChild(doc, kind);
    }
    EXPECT_EQ(LocateChatRoom(chat), 0u) << "missing " << missing;
    PostChatLine(chat, "x");
    EXPECT_EQ(chat.TotalMessages(), 0) << "missing " << missing;
  }
}

TEST(LocateChatRoom, GrandchildrenDoNotCount) {
  ChatClient chat;
  const WindowHandle area = chat.AddClient();
  const WindowHandle doc = chat.AddChild(area, "AOL Child");
  const WindowHandle inner = chat.AddChild(doc, "Panel");
  for (const char* kind : {"RICHCNTL", "RICHCNTL", "_AOL_Listbox", "_AOL_Icon", "_AOL_Static"}) {
    chat.AddChild(inner, kind);
  }
  EXPECT_EQ(LocateChatRoom(chat), 0u);
}

TEST(LocateChatRoom, FirstQualifyingDocumentWinsAndDecoysArePassedOver) {
  ChatClient chat;
  const WindowHandle area = chat.AddClient();
  chat.AddChild(area, "AOL Child");  // an empty document
  const WindowHandle first = chat.AddRoom(area);
  const WindowHandle second = chat.AddRoom(area);
  EXPECT_EQ(LocateChatRoom(chat), first);
  PostChatLine(chat, "hello");
  ASSERT_EQ(chat.Posted().size(), 1u);
  EXPECT_EQ(chat.Posted()[0].box, chat.Child(first, 1));
  EXPECT_EQ(chat.MessagesTo(chat.Child(second, 1)), 0);
}

TEST(PostChatLine, SecondRichTextBoxOfThreeGetsTheLine) {
  ChatClient chat;
  const WindowHandle room = chat.AddRoom(chat.AddClient(), 3);
  PostChatLine(chat, "line");
  ASSERT_EQ(chat.Posted().size(), 1u);
  EXPECT_EQ(chat.Posted()[0].box, chat.Child(room, 1));
  EXPECT_EQ(chat.Posted()[0].text, "line");
  EXPECT_EQ(chat.MessagesTo(chat.Child(room, 0)), 0);
  EXPECT_EQ(chat.MessagesTo(chat.Child(room, 2)), 0);
}

TEST(PostChatLine, SingleRichTextBoxIsLeftAlone) {
  ChatClient chat;
  const WindowHandle room = chat.AddRoom(chat.AddClient(), 1);
  PostChatLine(chat, "line");
  EXPECT_TRUE(chat.Posted().empty());
  EXPECT_EQ(chat.TotalMessages(), 0);
  EXPECT_EQ(chat.TextOf(chat.Child(room, 0)), "");
}

TEST(PostChatLine, EmptyLineIsPostedLikeAnyOther) {
  ChatClient chat;
  chat.AddRoom(chat.AddClient());
  PostChatLine(chat, "");
  ASSERT_EQ(chat.Posted().size(), 1u);
  EXPECT_EQ(chat.Posted()[0].text, "");
}

TEST(PostChatLine, UsersDraftIsPutBackAndAnEmptyBoxStaysEmpty) {
  ChatClient chat;
  const WindowHandle box = chat.Child(chat.AddRoom(chat.AddClient()), 1);
  chat.TextOf(box) = "half a sentence é";
  PostChatLine(chat, "announcement");
  ASSERT_EQ(chat.Posted().size(), 1u);
  EXPECT_EQ(chat.Posted()[0].text, "announcement");
  EXPECT_EQ(chat.TextOf(box), "half a sentence é");

  const int before = chat.MessagesTo(box);
  chat.TextOf(box).clear();
  PostChatLine(chat, "again");
  EXPECT_EQ(chat.TextOf(box), "");
  // Read, set, Enter: nothing is written back into an empty box.
  EXPECT_EQ(chat.MessagesTo(box) - before, 3);
}

TEST(PostChatLine, HungInputBoxGetsNoCarriageReturn) {
  ChatClient chat;
  const WindowHandle box = chat.Child(chat.AddRoom(chat.AddClient()), 1);
  chat.Hang(box);
  PostChatLine(chat, "line");
  EXPECT_TRUE(chat.Posted().empty());
}

}  // namespace
}  // namespace dizod
