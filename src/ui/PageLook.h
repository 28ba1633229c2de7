#pragma once

#include "sys/UserLanguage.h"

#include <QFont>
#include <QIcon>
#include <QSize>

class QDialog;
class QKeyEvent;
class QWidget;

namespace ornibe {

// IPA P Gothic at 9 points when it is installed (it has the metrics of
// the font the pages were laid out for), otherwise the platform's font.
QFont pageFont();

// The program icon: a disc with an arrow, drawn at the usual sizes.
QIcon programIcon();

// The size a page opens at in the room its screen leaves it: the size the
// page asks for, bounded by the room. A page whose fields scroll in that
// room (lower than wholeHeight, the least height that shows them all) is
// made wider by its vertical scroll bar where the room allows, so that it
// scrolls up and down only. (Qt's own first size stops at two thirds of
// the screen, which leaves a page of 700 pixels scrolling on an 800-pixel
// one.)
QSize openingSize(QSize wanted, int wholeHeight, QSize room, int scrollBarWidth);

// The room a window has on its screen: the screen's available area less the
// window's frame, or less a title bar of the style's height while the window
// system has not told the frame (before the first showing).
QSize roomOnScreen(const QWidget& window);

// The keys of a page as a dialog takes them: Escape is swallowed (a page
// never closes on it), and Enter or Return presses the focused push button,
// which stands in for the default button while it has the focus. True when
// the key was taken; otherwise the dialog's own handling (Enter presses the
// default button) goes on.
bool handlePageKey(QDialog& page, QKeyEvent& event);

// Makes the pages speak the language: for Japanese, the program's own, Qt's
// own Japanese texts (Debian's qt6-translations-l10n), so that file dialogs,
// their buttons and their questions speak it too (harmless when they are
// not installed); for English, the pages' English translation built into
// the program, and Qt's own texts stay English. False when the English
// translation cannot be loaded (the pages then stay Japanese).
bool loadPageTexts(UserLanguage language);

} // namespace ornibe
