#include "ui/QtProgressLog.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

namespace ornibe {

void QtProgressLog::clear() {
    view_.clear();
    pendingCr_ = false;
}

void QtProgressLog::showText(std::string_view text) {
    // A CR LF pair is one line break; a CR alone (a tool redrawing its
    // progress line) is dropped, as the view has no carriage return.
    std::string lines;
    lines.reserve(text.size());
    for (char c : text) {
        if (pendingCr_ && c != '\n') {
            pendingCr_ = false;
        }
        if (c == '\r') {
            pendingCr_ = true;
            continue;
        }
        pendingCr_ = false;
        lines += c;
    }

    QTextCursor cursor(view_.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromUtf8(lines.data(), qsizetype(lines.size())));
    view_.setTextCursor(cursor);
    view_.ensureCursorVisible();
    view_.verticalScrollBar()->setValue(view_.verticalScrollBar()->maximum());
}

} // namespace ornibe
