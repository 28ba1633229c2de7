#include "ui/WizardApplication.h"

#include "runner/UnexpectedFailure.h"

#include <utility>

namespace ornibe {

void showUnexpectedFailure(MessageBox& messages, std::exception_ptr error) {
    Failure failure = unexpectedFailure(std::move(error));
    messages.show(failure.headline + "\n" + failure.line(),
                  MessageStyle{MessageButtons::Ok, MessageIcon::Information, false});
}

WizardApplication::WizardApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void WizardApplication::setFailureHandler(std::function<void(std::exception_ptr)> handler) {
    failureHandler_ = std::move(handler);
}

bool WizardApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // The handler shows a message box, whose own events come here too;
        // it is taken away meanwhile, so that a failure while it shows
        // cannot call it again.
        std::function<void(std::exception_ptr)> handler = std::exchange(failureHandler_, {});
        if (handler) {
            try {
                handler(std::current_exception());
            } catch (...) {
                // Not even the message could be shown; the page goes on.
            }
        }
        failureHandler_ = std::move(handler);
        return true;
    }
}

} // namespace ornibe
