#pragma once
// The idle panel's event handlers: start-up, Start, Stop, the idle minute
// loop, Exit, close and About. All run on the one UI thread; they nest only
// inside the cooperative pause.
//
// So that the chat never says something false, a Start, Stop or About click
// (or a timer tick) that arrives while a line sequence is being posted is deferred
// until that sequence is over, and then runs before anything that fell due
// meanwhile. Clicks of one kind deferred during one sequence run once, so that
// the room is not flooded. Exit and close always run at once; they end
// the program, and every sequence they interrupt posts nothing more.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "panel/panel_controls.h"
#include "toolkit/chat_channel.h"
#include "toolkit/clock_pump.h"

namespace dizod {

// The count held in the counter text, or 0 when it is not a whole number.
std::uint64_t ParseCount(std::string_view text);

class PanelHandlers {
 public:
  PanelHandlers(PanelControls& controls, ClockPump& pump, ChatChannel& chat);
  PanelHandlers(const PanelHandlers&) = delete;
  PanelHandlers& operator=(const PanelHandlers&) = delete;

  void OnLoad();
  void OnStartClick();
  void OnStopClick();
  void OnTimerTick();
  void OnExitClick();
  void OnAboutClick();
  void OnClose();
  // The session is ending: sign off as close does, and return only when the
  // sign-off is out.
  void OnEndSession();
  void OnDeferred(DeferredEvent event);

  bool Ending() const { return sign_off_.has_value(); }
  bool LoopRunning() const { return loop_running_; }
  int SequenceDepth() const { return sequence_depth_; }
  const std::vector<DeferredEvent>& DeferredEvents() const { return deferred_; }

 private:
  // Marks a line sequence in progress; when the outermost one ends, the events
  // deferred meanwhile are queued for the message loop.
  class Sequence {
   public:
    explicit Sequence(PanelHandlers& panel);
    ~Sequence();
    Sequence(const Sequence&) = delete;
    Sequence& operator=(const Sequence&) = delete;

   private:
    PanelHandlers& panel_;
  };

  // True when the event must not run now; it is remembered when it is only
  // the sequence in progress that stands in its way.
  bool Defer(DeferredEvent event);
  void RunIdleLoop();
  // Dispatches messages until the events deferred by a sequence and queued at
  // its end have run; false when the program began ending.
  bool RunQueuedDeferred();
  bool PostMinuteAnnouncement();
  void PostStartupLines();
  void SignOff(bool hide_first);
  void PostSignOffLines();

  // Dispatches messages until no line is on its way to the chat client;
  // false when the deadline came first or the program quit.
  bool AwaitChannel(double deadline);
  // Hands the line to the chat channel once the line before it is done, and
  // dispatches messages until it is posted or given up, so the panel never
  // waits on the chat client. False when the channel refused it or the
  // program began ending meanwhile.
  bool Post(std::string_view line);
  // A one-second pause between lines; false when the program began ending.
  bool Pause();

  PanelControls& controls_;
  ClockPump& pump_;
  ChatChannel& chat_;

  int sequence_depth_ = 0;
  std::vector<DeferredEvent> deferred_;
  // Deferred events queued for the message loop and not yet run.
  int queued_deferred_ = 0;
  bool loop_running_ = false;
  // How far the sign-off has got, once the program is ending. A session end
  // that comes while it waits takes it over from there.
  struct SignOffProgress {
    double deadline;            // when it stops waiting for the chat client (monotonic)
    std::size_t next = 0;       // the line to hand over next
    std::optional<double> due;  // when that line may go; unknown while the one before is on its way
  };
  std::optional<SignOffProgress> sign_off_;
  // Each Start and each Stop opens a new idle period; a loop serves only the
  // period in which it began.
  std::uint64_t period_ = 0;
};

}  // namespace dizod
