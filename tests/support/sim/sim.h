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

#include "panel/panel_handlers.h"
#include "panel/panel_controls.h"
#include "toolkit/clock_pump.h"
#include "toolkit/window_ops.h"

namespace dizod::sim {

inline constexpr double kForever = std::numeric_limits<double>::infinity();

struct PostedLine {
  double time;
  WindowHandle box;
  std::string text;
};

// The chat client's windows. Handles start at 1; a window's children are kept
// in the platform's order.
class ChatClient : public WindowOps {
 public:
  explicit ChatClient(std::function<double()> now = [] { return 0.0; }) : now_(std::move(now)) {}

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
  // Messages (text reads and writes, characters) the window has received.
  int MessagesTo(WindowHandle w) const { return windows_.at(w).messages; }
  int TotalMessages() const;
  // A hung window takes no message at all.
  void Hang(WindowHandle w) { windows_.at(w).hung = true; }

  const std::vector<PostedLine>& Posted() const { return posted_; }
  std::vector<std::string> PostedTexts() const;

  WindowHandle FindTopLevel(const char* class_name) override;
  WindowHandle FindChild(WindowHandle parent, WindowHandle after, const char* class_name) override;
  std::optional<std::string> GetText(WindowHandle window) override;
  bool SetText(WindowHandle window, const std::string& text) override;
  bool SetAnsiText(WindowHandle window, const std::string& text) override;
  bool SendChar(WindowHandle window, unsigned character) override;

 private:
  struct Window {
    std::string cls;
    WindowHandle parent = 0;
    std::vector<WindowHandle> children;
    std::string text;
    int messages = 0;
    bool hung = false;
  };
  Window* Receiver(WindowHandle w);

  std::function<double()> now_;
  std::map<WindowHandle, Window> windows_;
  std::vector<WindowHandle> top_level_;
  std::vector<PostedLine> posted_;
};

// The panel's controls, clock and message queue. Time moves only while the
// message pump waits; handlers themselves take no time.
class Panel : public PanelControls, public ClockPump {
 public:
  explicit Panel(double start_time_of_day = 36000.0);

  void Attach(PanelHandlers* handlers) { handlers_ = handlers; }

  // Schedules an action (a click, a change of text, ...) to be dispatched as a
  // message at virtual time `at`.
  void At(double at, std::function<void()> action);
  void ClickAt(double at, Control button);
  void AboutAt(double at);
  void CloseAt(double at);
  // A click on a disabled button reaches no handler.
  void Click(Control button);

  // The top-level message loop, until the program quits or `until` comes. At
  // `until` the simulation ends: every pause still waiting returns as if the
  // program quit, so look at the state in an action scheduled before then.
  void Run(double until);

  double Now() const { return now_; }
  bool Quit() const { return quit_; }
  bool Hidden() const { return hidden_; }
  int KeepOnTopCalls() const { return keep_on_top_calls_; }
  int Dispatched() const { return dispatched_; }
  // How deeply message dispatching has nested at most (1: only the top loop).
  int MaxDepth() const { return max_depth_; }
  int Depth() const { return depth_; }
  // The deadlines of the pumps now waiting, outermost first.
  const std::vector<double>& Deadlines() const { return deadlines_; }
  double NextTick() const { return next_tick_; }
  const std::deque<DeferredEvent>& PostedEvents() const { return posted_; }
  // When each click on the button reached its handler, in order.
  std::vector<double> ClickTimes(Control button) const;
  // Asked each time the pump is about to wait or dispatch: a chance to deliver
  // a message of one's own choosing at that very moment (true: it did).
  std::function<bool()> on_yield;
  // Moves the wall clock without moving monotonic time.
  void ShiftWallClock(double seconds) { tod_offset_ += seconds; }

  std::string Text(Control control) override;
  void SetText(Control control, const std::string& text) override;
  bool Enabled(Control control) override;
  void SetEnabled(Control control, bool enabled) override;
  void KeepOnTop() override { ++keep_on_top_calls_; }
  void Hide() override { hidden_ = true; }
  void PostDeferred(DeferredEvent event) override { posted_.push_back(event); }
  void EndProgram() override { quit_ = true; }

  ClockReading ReadClock() override;
  PumpResult DispatchOne(double monotonic_deadline) override;

 private:
  PanelHandlers* handlers_ = nullptr;
  double now_ = 0;
  double tod_offset_;
  std::map<Control, std::string> texts_;
  std::map<Control, bool> enabled_;
  double next_tick_ = kForever;
  std::deque<DeferredEvent> posted_;
  std::map<Control, std::vector<double>> clicks_;
  std::multimap<double, std::function<void()>> scheduled_;
  bool quit_ = false;
  bool stopped_ = false;
  double until_ = kForever;
  bool hidden_ = false;
  int keep_on_top_calls_ = 0;
  int dispatched_ = 0;
  int depth_ = 0;
  std::vector<double> deadlines_;
  int max_depth_ = 0;
};

// A whole program: the panel's handlers on the simulated panel, posting into a
// client with one chat room.
struct Program {
  Panel panel;
  ChatClient chat{[this] { return panel.Now(); }};
  PanelHandlers handlers{panel, panel, chat};
  WindowHandle area = 0;
  WindowHandle room = 0;

  explicit Program(double start_time_of_day = 36000.0, bool with_room = true);
  bool loaded = false;
  // Raises the load event and runs the message loop until `until`.
  void Start(double until);
  std::vector<std::string> Lines() const { return chat.PostedTexts(); }
};

}  // namespace dizod::sim
