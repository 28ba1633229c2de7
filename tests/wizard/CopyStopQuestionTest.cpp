#include "wizard/CopyStopQuestion.h"

#include "support/ScriptedMessages.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

TEST(CopyStopQuestion, the_cancel_button_stops_at_once_and_escape_asks_with_no_as_default) {
    test::ScriptedMessages messages;
    EXPECT_TRUE(copyStopWanted(CopyStopGesture::CancelButton, messages));
    EXPECT_TRUE(messages.shown.empty());

    messages.answer(MessageAnswer::No).answer(MessageAnswer::Yes);
    EXPECT_FALSE(copyStopWanted(CopyStopGesture::EscapeOrClose, messages));
    EXPECT_TRUE(copyStopWanted(CopyStopGesture::EscapeOrClose, messages));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "CD のコピーを中止しますか？\n"
                                      "作業フォルダには途中までコピーしたファイルが残ります。");
    EXPECT_EQ(messages.shown[0].style,
              (MessageStyle{MessageButtons::YesNo, MessageIcon::Question, true}));
    // A box that nobody can answer keeps the copy going.
    EXPECT_FALSE(copyStopWanted(CopyStopGesture::EscapeOrClose, messages));
    EXPECT_EQ(messages.unexpected.size(), 1u);
}

} // namespace
} // namespace ornibe
