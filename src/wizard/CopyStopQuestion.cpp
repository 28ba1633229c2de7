#include "wizard/CopyStopQuestion.h"

namespace ornibe {

bool copyStopWanted(CopyStopGesture gesture, MessageBox& messages) {
    if (gesture == CopyStopGesture::CancelButton) {
        return true;
    }
    return messages.show("CD のコピーを中止しますか？\n"
                         "作業フォルダには途中までコピーしたファイルが残ります。",
                         {MessageButtons::YesNo, MessageIcon::Question, true}) ==
           MessageAnswer::Yes;
}

} // namespace ornibe
