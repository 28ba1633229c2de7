#include "ui/core/MessageBoxHook.h"

#include <utility>

namespace ornibe {

namespace {

MessageBoxFunction& installedFunction() {
    static MessageBoxFunction function;
    return function;
}

MessageAnswer safeAnswer(MessageStyle style) {
    switch (style.buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    }
    return MessageAnswer::Cancel;
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
