#pragma once

#include "runner/ProgressLog.h"

#include <string>

class QPlainTextEdit;

namespace ornibe {

// The progress log on screen: appends at the end of a read-only text view
// and keeps the end in view. "\r\n" pairs break lines, also when a pair is
// split over two appends.
class QtProgressLog : public ProgressLog {
public:
    explicit QtProgressLog(QPlainTextEdit& view) : view_(view) {}

    // Empties the view for a fresh page.
    void clear();
    // The text as it was appended (UTF-8, CR LF): what --log writes.
    const std::string& text() const { return text_; }

protected:
    void showText(std::string_view text) override;

private:
    QPlainTextEdit& view_;
    std::string text_;
};

} // namespace ornibe
