#pragma once

#include "runner/MessageBox.h"

#include <QApplication>

#include <exception>
#include <functional>

namespace ornibe {

// Shows an exception that no step caught as the program's message: that
// the work was stopped, and why.
void showUnexpectedFailure(MessageBox& messages, std::exception_ptr error);

// The wizard's application object. Qt cannot carry an exception through
// its own code, and ends the program when one escapes a handler; here none
// does: an exception that escapes the handling of an event (a page's
// button, a list's choice) goes to the failure handler, which the wizard
// sets to show it as its message, and the page stays where it was.
class WizardApplication : public QApplication {
public:
    WizardApplication(int& argc, char** argv);

    void setFailureHandler(std::function<void(std::exception_ptr)> handler);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(std::exception_ptr)> failureHandler_;
};

} // namespace ornibe
