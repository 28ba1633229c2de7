#pragma once

#include "runner/ProgressLog.h"

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

protected:
    void showText(std::string_view text) override;

private:
    QPlainTextEdit& view_;
};

} // namespace ornibe
