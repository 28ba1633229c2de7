#include "support/FakeBuildPage.h"

namespace ornibe::test {

FakeBuildPage::FakeBuildPage() {
    enabled_[PageButton::Back] = true;
    enabled_[PageButton::Run] = true;
    enabled_[PageButton::Quit] = true;
}

bool FakeBuildPage::copyProgress(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t) {
    ++progressReports_;
    return cancelAt_ == 0 || progressReports_ < cancelAt_;
}

} // namespace ornibe::test
