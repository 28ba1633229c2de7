#include "support/FakeBuildPage.h"

namespace ornibe::test {

FakeBuildPage::FakeBuildPage() {
    enabled_[PageButton::Back] = true;
    enabled_[PageButton::Run] = true;
    enabled_[PageButton::Quit] = true;
}

bool FakeBuildPage::copyProgress(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t) {
    ++progressReports_;
    if (onCopyProgress_) {
        onCopyProgress_();
    }
    if (stopAt_ != 0 && progressReports_ >= stopAt_) {
        stopRequested_ = true;
    }
    return (cancelAt_ == 0 || progressReports_ < cancelAt_) && !stopRequested_;
}

} // namespace ornibe::test
