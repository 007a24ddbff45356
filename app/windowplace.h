#pragma once
// The main window's place from one run to the next. there.cfg keeps the
// window's normal (not maximised) geometry in its lines 2-5; orvelline.ini
// adds whether it was maximised:
//
//   [Window]
//   maximized=1
//   frameLeft=1       ; the window manager's frame, measured at the last close
//   frameTop=20       ; (also frameRight, frameBottom)
//
// The geometry saved and restored is the same one, the client area without
// the frame the window manager draws, so a window comes back exactly where it
// was, however thick the frame. A place that would leave the window out of
// reach (a smaller screen since, a screen unplugged) is moved onto the
// available area of the nearest screen.
#include <QRect>

class QWidget;

namespace platform {
class IniFile;
}

// Lets normalWindowPlace know the normal geometry also when the window
// manager, not the program, maximised the window.
void trackNormalPlace(QWidget& window);

// The geometry to save: the normal geometry, also while maximised.
QRect normalWindowPlace(const QWidget& window);

// The rectangle moved, and shrunk if it must be, to lie within available.
QRect placeWithin(const QRect& wanted, const QRect& available);

// Puts the window at wanted (client coordinates) on the screen that shows the
// most of it, kept with its frame (as measured at the last close) within that
// screen's available area.
void placeWindow(QWidget& window, const QRect& wanted, platform::IniFile& settings);

// Reads [Window] maximized from orvelline.ini and maximises the window if so.
void restoreMaximized(QWidget& window, platform::IniFile& settings);
// Sets the window's maximised state, and the frame around it, in orvelline.ini.
void saveMaximized(const QWidget& window, platform::IniFile& settings);
