#include "wizard/CopyStopQuestion.h"
#include "sys/Translation.h"

namespace ornibe {

bool copyStopWanted(CopyStopGesture gesture, MessageBox& messages) {
    if (gesture == CopyStopGesture::CancelButton) {
        return true;
    }
    return messages.show(translated("CD のコピーを中止しますか？\n"
                                    "作業フォルダには途中までコピーしたファイルが残ります。"),
                         {MessageButtons::YesNo, MessageIcon::Question, true}) ==
           MessageAnswer::Yes;
}

} // namespace ornibe
