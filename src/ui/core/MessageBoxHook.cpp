#include "ui/core/MessageBoxHook.h"

#include <utility>

namespace ornibe {

namespace {

MessageBoxFunction& installedFunction() {
    static MessageBoxFunction function;
    return function;
}

} // namespace

MessageBoxFunction setMessageBoxFunction(MessageBoxFunction function) {
    return std::exchange(installedFunction(), std::move(function));
}

MessageAnswer showMessageBox(const std::string& text, MessageStyle style) {
    const MessageBoxFunction& function = installedFunction();
    if (!function) {
        return safeAnswer(style);
    }
    return function(text, style);
}

} // namespace ornibe
