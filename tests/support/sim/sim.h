#pragma once
// A simulated platform for the portable core: a chat client's window tree, and
// the panel's controls, clock and message queue in virtual time.

#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "panel/panel_controls.h"
#include "panel/panel_handlers.h"
#include "toolkit/chat_bridge.h"
#include "toolkit/chat_channel.h"
#include "toolkit/chat_protocol.h"
#include "toolkit/clock_pump.h"
#include "toolkit/window_ops.h"

namespace dizod::sim {

inline constexpr double kForever = std::numeric_limits<double>::infinity();

// Thrown out of the message pump when a run reaches its horizon: nothing of
// the program runs on.
struct RunEnded {};

class Channel;

struct PostedLine {
  double time;
  WindowHandle box;
  std::string text;
  int serial;  // the line handed to the channel that put the text in the box; 0: none
};

// What the chat client does with one message sent to it.
enum class Fault {
  kNone,       // handles it at once
  kSlow,       // handles it after 3 s
  kStall,      // stalls 12 s inside it, then wakes and goes on
  kHang,       // stalls inside it and never answers again
  kCloseRoom,  // closes the room while handling it: the message is lost
  kSendLate,   // from this message on, sends its box a while after each Enter
};

// The chat client's windows, and how the client answers messages. Handles
// start at 1; a window's children are kept in the platform's order. Messages
// run on the worker's clock, which the channel sets before each line.
class ChatClient : public WindowOps {
 public:
  WindowHandle AddTopLevel(const std::string& cls);
  WindowHandle AddChild(WindowHandle parent, const std::string& cls);
  // A frame with its client area; then rooms and other documents go in `area`.
  WindowHandle AddClient();
  // A document window with the four kinds of children; returns the document.
  WindowHandle AddRoom(WindowHandle area, int rich_text_boxes = 2);
  WindowHandle Child(WindowHandle parent, int index) const {
    return windows_.at(parent).children.at(index);
  }

  std::string& TextOf(WindowHandle w) { return windows_.at(w).text; }
  bool Closed(WindowHandle w) const { return windows_.at(w).closed; }
  void Select(WindowHandle w, std::uint32_t start, std::uint32_t end);
  std::pair<std::uint32_t, std::uint32_t> SelectionOf(WindowHandle w) const;
  // Messages (text reads and writes, characters) the window has received.
  int MessagesTo(WindowHandle w) const { return windows_.at(w).messages; }
  int TotalMessages() const;
  // The class of every child lookup, in order.
  const std::vector<std::string>& Lookups() const { return lookups_; }

  // Decides each message's fault; none when unset.
  std::function<Fault()> next_fault;
  // How long after an Enter a client that sends late sends its box.
  double late_send_seconds = 0.05;
  // Messages sent from the worker's clock `time` on.
  void SetClock(double time) { clock_ = time; }
  double Clock() const { return clock_; }
  // The line whose messages follow.
  void SetSerial(int serial) { serial_ = serial; }
  // Messages come from the worker while set; any other is the panel's own
  // thread waiting on the client.
  void SetOnWorker(bool on_worker) { on_worker_ = on_worker; }
  int MessagesFromThePanelThread() const { return panel_thread_messages_; }
  // When the client answers again: -inf while it answers, +inf when never.
  double AsleepUntil() const { return asleep_until_; }

  const std::vector<PostedLine>& Posted() const { return posted_; }
  std::vector<std::string> PostedTexts() const;

  WindowHandle FindTopLevel(const char* class_name) override;
  WindowHandle FindChild(WindowHandle parent, WindowHandle after, const char* class_name) override;
  SendResult ReadDraft(WindowHandle box, Draft& draft) override;
  SendResult SetLine(WindowHandle box, const std::string& text) override;
  SendResult SendChar(WindowHandle box, unsigned character) override;
  SendResult RestoreDraft(WindowHandle box, const Draft& draft) override;
  SendResult Probe(WindowHandle box) override;
  void Rest(std::uint32_t milliseconds) override;
  // Lets time pass until the client has sent what it was going to send.
  void Settle();

 private:
  struct Window {
    std::string cls;
    WindowHandle parent = 0;
    std::vector<WindowHandle> children;
    std::string text;
    std::uint32_t selection_start = 0, selection_end = 0;
    int serial = 0;
    int messages = 0;
    bool closed = false;
  };
  // Sends the box's content to the room, as the client does on Enter.
  void SendBox(WindowHandle box, double at);
  // The late send the client has in hand, when it comes due.
  void SendDue();
  // Sends one message; `handle` is what handling it does, at the given time.
  SendResult Send(WindowHandle w, bool abort_if_hung,
                  const std::function<void(Window&, double)>& handle);
  void Close(WindowHandle w);

  std::map<WindowHandle, Window> windows_;
  std::vector<WindowHandle> top_level_;
  std::vector<PostedLine> posted_;
  std::vector<std::string> lookups_;
  double clock_ = 0;
  int serial_ = 0;
  bool on_worker_ = false;
  int panel_thread_messages_ = 0;
  double asleep_since_ = 0;
  double asleep_until_ = -kForever;
  bool send_late_ = false;
  WindowHandle late_box_ = 0;
  double late_at_ = kForever;
};

// The panel's controls, clock and message queue. Time moves only while the
// message pump waits; handlers themselves take no time.
class Panel : public PanelControls, public ClockPump {
 public:
  explicit Panel(double start_time_of_day = 36000.0);

  void Attach(PanelHandlers* handlers, Channel* worker) {
    handlers_ = handlers;
    worker_ = worker;
  }

  // Schedules an action (a click, a change of text, ...) to be dispatched as a
  // message at virtual time `at`.
  void At(double at, std::function<void()> action);
  void ClickAt(double at, Control button);
  // A click on a disabled button reaches no handler.
  void Click(Control button);

  // The top-level message loop, until the program quits or `until` comes. At
  // `until` the run ends where it is, in the middle of a handler maybe, so
  // look at the state of handlers in an action scheduled before then.
  void Run(double until);

  double Now() const { return now_; }
  bool Quit() const { return quit_; }
  double QuitAt() const { return quit_at_; }
  bool Hidden() const { return hidden_; }
  int KeepOnTopCalls() const { return keep_on_top_calls_; }
  int Dispatched() const { return dispatched_; }
  // How deeply message dispatching has nested at most (1: only the top loop).
  int MaxDepth() const { return max_depth_; }
  int Depth() const { return depth_; }
  // The deadlines of the pumps now waiting, outermost first.
  const std::vector<double>& Deadlines() const { return deadlines_; }
  double NextTick() const { return next_tick_; }
  // Posted messages not yet dispatched: deferred events, and wakes (nullopt).
  const std::deque<std::optional<DeferredEvent>>& PostedEvents() const { return posted_; }
  // When each click on the button reached its handler, in order.
  std::vector<double> ClickTimes(Control button) const;
  // Asked each time the pump is about to wait or dispatch: a chance to deliver
  // a message of one's own choosing at that very moment (true: it did).
  std::function<bool()> on_yield;
  // Asked before the worker runs a step while a message is waiting for the
  // panel: true lets the panel dispatch that message first.
  std::function<bool()> on_worker_step;
  // The worker's way to wake the panel's pump.
  void Wake() { posted_.push_back(std::nullopt); }
  // Moves the wall clock without moving monotonic time.
  void ShiftWallClock(double seconds) { tod_offset_ += seconds; }

  std::string Text(Control control) override;
  void SetText(Control control, const std::string& text) override;
  bool Enabled(Control control) override;
  void SetEnabled(Control control, bool enabled) override;
  void KeepOnTop() override { ++keep_on_top_calls_; }
  void Hide() override { hidden_ = true; }
  void PostDeferred(DeferredEvent event) override { posted_.push_back(event); }
  void EndProgram() override {
    if (!quit_) quit_at_ = now_;
    quit_ = true;
  }

  ClockReading ReadClock() override;
  PumpResult DispatchOne(double monotonic_deadline) override;

 private:
  PanelHandlers* handlers_ = nullptr;
  Channel* worker_ = nullptr;
  double now_ = 0;
  double tod_offset_;
  std::map<Control, std::string> texts_;
  std::map<Control, bool> enabled_;
  double next_tick_ = kForever;
  std::deque<std::optional<DeferredEvent>> posted_;
  std::map<Control, std::vector<double>> clicks_;
  std::multimap<double, std::function<void()>> scheduled_;
  bool quit_ = false;
  double quit_at_ = kForever;
  double until_ = kForever;
  bool hidden_ = false;
  int keep_on_top_calls_ = 0;
  int dispatched_ = 0;
  int depth_ = 0;
  std::vector<double> deadlines_;
  int max_depth_ = 0;
};

// The worker that talks to the chat client, in virtual time: it runs the
// chat protocol's steps, each when the panel's clock reaches the moment the
// worker got to it. A step that talks to the client takes the client's time.
class Channel : public ChatChannel {
 public:
  Channel(ChatClient& client, Panel& panel) : client_(client), panel_(panel) {}

  bool Submit(const std::string& line) override;
  bool LineInFlight() override { return protocol_.LineInFlight(); }

  // When the next step is due on the panel's clock; kForever while the
  // worker waits for a line.
  double NextStepAt();
  ChatStep NextStep() { return protocol_.NextStep(); }
  void RunStep();
  // Runs what is left, as the worker goes on after the panel stopped looking.
  void Drain();

  struct Record {
    int serial;
    std::string text;
    double submitted;
    LineOutcome outcome = LineOutcome::kDropped;
  };
  const std::vector<Record>& Lines() const { return records_; }
  // Lines the channel refused.
  int Refused() const { return refused_; }

 private:
  ChatClient& client_;
  Panel& panel_;
  ChatProtocol protocol_{client_};
  // When the worker is done with its last step.
  double clock_ = 0;
  std::vector<Record> records_;
  int refused_ = 0;
};

// A whole program: the panel's handlers on the simulated panel, posting into a
// client with one chat room.
struct Program {
  Panel panel;
  ChatClient chat;
  Channel channel{chat, panel};
  PanelHandlers handlers{panel, panel, channel};
  WindowHandle area = 0;
  WindowHandle room = 0;

  explicit Program(double start_time_of_day = 36000.0, bool with_room = true);
  bool loaded = false;
  // Raises the load event and runs the message loop until `until`; then lets
  // the worker finish what it had begun.
  void Start(double until);
  std::vector<std::string> Lines() const { return chat.PostedTexts(); }
  // The room's input box (0 without a room).
  WindowHandle Box() const { return room == 0 ? 0 : chat.Child(room, 1); }
};

}  // namespace dizod::sim
