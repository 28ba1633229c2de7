#pragma once

#include <QFont>
#include <QIcon>

class QDialog;
class QKeyEvent;

namespace ornibe {

// IPA P Gothic at 9 points when it is installed (it has the metrics of
// the font the pages were laid out for), otherwise the platform's font.
QFont pageFont();

// The program icon: a disc with an arrow, drawn at the usual sizes.
QIcon programIcon();

// The keys of a page as a dialog takes them: Escape is swallowed (a page
// never closes on it), and Enter or Return presses the focused push button,
// which stands in for the default button while it has the focus. True when
// the key was taken; otherwise the dialog's own handling (Enter presses the
// default button) goes on.
bool handlePageKey(QDialog& page, QKeyEvent& event);

// Loads Qt's own Japanese texts (Debian's qt6-translations-l10n), so that
// file dialogs, their buttons and their questions speak the program's
// language. Harmless when they are not installed.
void loadJapaneseQtTexts();

} // namespace ornibe
