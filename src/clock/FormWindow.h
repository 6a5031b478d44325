#pragma once
// frmMain as a window, for the front ends: what each control shows, the
// window's events routed to the form's handlers by the controls' rows
// (clock/ControlTable.h), what each event changed and must be redrawn, the
// keyboard focus and its mark, and the state line of each second. A front end
// holds one, paints from view() and feeds it events.

#include <array>
#include <bitset>
#include <functional>
#include <optional>
#include <string>

#include "clock/ControlTable.h"
#include "clock/Services.h"

class frmMain;

// What a control shows now.
struct ControlView {
    bool visible = false;
    std::string caption;   // labels
    std::string picture;   // pictures: a file of the application folder, empty for none
    std::string fontName;  // labels
    bool bold = false;
    friend bool operator==(const ControlView&, const ControlView&) = default;
};

// What an event changed: the controls to redraw.
struct Changes {
    std::bitset<face::kControlCount> controls;
    // What assistive technology must be told at once, as an alert (the alarm
    // started ringing); empty: nothing.
    std::string alert;
    bool changed(face::Control control) const {
        return controls.test(static_cast<size_t>(control));
    }
};

class FormWindow {
  public:
    explicit FormWindow(frmMain& form);

    // What a control showed at the end of the last event.
    const ControlView& view(face::Control control) const;
    // Runs any handler of the form (a posted completion, the player's error).
    Changes run(const std::function<void()>& handler);

    Changes load();
    // A tick at once, whatever is due (the computer woke, the clock was set).
    Changes tick();
    // The front end's one timer: armed for nextDue() after every event and
    // when the window is shown; when it fires, timersDue() runs what is due.
    std::optional<Instant> nextDue();
    Changes timersDue();
    // Mouse events in pixels of the window; buttons as face::kLeftButton etc.
    Changes mouseDown(int x, int y, int button);
    Changes mouseMove(int x, int y, int heldButtons);
    Changes mouseUp(int x, int y, int button);
    // The window lost the mouse (capture taken, a dialog, a cancelled mode).
    Changes mouseLost();
    // The tray icon's notification, in the mouse-move form the shell gives it.
    Changes trayNotification(int number);
    // The tray host came or went.
    Changes trayChanged();
    // Session end. A query changes nothing that cannot be undone: it lends the
    // person's mute back; a session that goes on takes it again; only the real
    // end unloads the clock, as closing it does.
    Changes sessionQuery();
    Changes sessionEnd(bool ending);
    // The clock's end ("X", the application quitting): runs once however often it is called.
    Changes unload();

    // The keyboard (ui/Keyboard.h): a key moves the focus or clicks a control
    // with the mouse's handler; nothing for a key the clock leaves alone.
    std::optional<Changes> key(const keyboard::KeyPress& press);
    // A click on a control (the keyboard's, a screen reader's default action).
    Changes activate(face::Control control);
    // The control with the keyboard focus whenever the window has it.
    face::Control focused() const { return m_focused; }
    void setFocused(face::Control control);
    // The window was shown (at start, from the tray, by another start): the
    // first control has the focus.
    void shown();
    // Where the focus mark goes: around the focused control once a key has
    // been used in the window, while the window has the keyboard; none otherwise.
    std::optional<face::Rect> focusMark(bool windowHasKeyboard) const;
    // What a screen reader is told of a control now, in the clock's language;
    // role None for a control it does not meet.
    accessible::Description describe(face::Control control) const;
    // The alert of the ringing alarm while it rings; empty otherwise.
    std::string ringingAlert() const;

    // What the window shows each second, whether the alarm is armed and
    // whether it rings. The end-to-end tests and benchmarks read it; keep its words.
    std::string stateLine() const;

  private:
    ControlView current(face::Control control) const;
    bool visible(face::Control control) const;
    Changes changes();
    void click(face::Control control);

    frmMain& m_form;
    face::Pointer m_pointer;
    std::array<ControlView, face::kControlCount> m_shown;
    bool m_ringing = false;  // as the last event left it
    face::Control m_focused = keyboard::focusOrder().front();
    bool m_keyUsed = false;  // a key was taken: the focus mark shows from then on
};
