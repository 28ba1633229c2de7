#include "ui/QtProgressLog.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

namespace ornibe {

void QtProgressLog::clear() {
    view_.clear();
    text_.clear();
}

void QtProgressLog::showText(std::string_view text) {
    text_ += text;
    // The view has no carriage return.
    std::string lines = withoutCarriageReturns(text);

    QTextCursor cursor(view_.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromUtf8(lines.data(), qsizetype(lines.size())));
    view_.setTextCursor(cursor);
    view_.ensureCursorVisible();
    view_.verticalScrollBar()->setValue(view_.verticalScrollBar()->maximum());
}

} // namespace ornibe
