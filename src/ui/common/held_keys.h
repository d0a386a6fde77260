// A key held down is one press. While a key is down the keyboard repeats it; of the keys that act
// (Enter and Return, Escape, Space, Select, the Alt chords of the buttons' letters, and every key
// a message box receives: its buttons answer to their letters) the repeats are dropped for the
// whole program, before any window, button, shortcut or message box sees them. So a held Enter
// logs in once and clicks once, a held Escape ends one window and not the one behind it, and a
// box that opens while a key is still down stays up through that key's repeats. Repeats that
// type or move are kept: a held letter, Backspace or Space types on in a text field, a held
// arrow moves on in a slider or a list.
//
// A repeat is what Qt flags with isAutoRepeat, and on X11 also the pair Qt leaves unflagged
// when the repeat's press has not yet arrived as it looks at the release: X11 repeats a key
// as a release and a press with one time stamp, and a keyboard's own release and next press
// never share one.
#pragma once

class QKeyEvent;
class QObject;

namespace ui {

// Installs the filter on the running application (once; later calls do nothing). The program
// does so where it starts; the dialog base and the message box do too, so that a window made
// anywhere (a test, a tool) holds keys as the program does. Call on the GUI thread.
void InstallHeldKeyFilter();

// Whether a repeat of a held key, on its way to `receiver` (a widget, or the window the window
// system hands it to), acts there; such repeats are dropped.
bool RepeatActs(const QKeyEvent& repeat, const QObject* receiver);

}  // namespace ui
