#pragma once
// What the idle panel's handlers may do to the panel: read and set the texts
// and enabled flags of its controls, and the few window-level actions. The
// program implements it over a Win32 window; the tests over a simulation.

#include <string>

namespace dizod {

enum class Control { kText1, kText2, kCommand1, kCommand2, kCommand3, kTimer1 };

// Events that the panel puts off until the line sequence in progress is over.
enum class DeferredEvent { kStart, kStop, kAbout, kTick };

class PanelControls {
 public:
  virtual ~PanelControls() = default;

  virtual std::string Text(Control control) = 0;
  virtual void SetText(Control control, const std::string& text) = 0;
  // For Timer1 the enabled flag switches the ticks on and off.
  virtual bool Enabled(Control control) = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;

  // Puts the panel above every window that is not topmost itself.
  virtual void KeepOnTop() = 0;
  // Takes the panel off the screen while its sign-off is still being posted.
  virtual void Hide() = 0;
  // Queues the event behind the messages already waiting for the panel.
  virtual void PostDeferred(DeferredEvent event) = 0;
  // Destroys the panel's windows and asks the message loop to quit.
  virtual void EndProgram() = 0;
};

}  // namespace dizod
