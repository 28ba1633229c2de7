#include "media/VolumeLabel.h"

namespace ornibe {

std::optional<std::size_t> firstUnfitLabelByte(const std::string& label) {
    for (std::size_t i = 0; i < label.size(); ++i) {
        auto byte = static_cast<unsigned char>(label[i]);
        if (byte < 0x20 || byte > 0x7E) {
            return i;
        }
    }
    return std::nullopt;
}

bool volumeLabelFits(const std::string& label) {
    return label.size() <= kVolumeLabelMaxLength && !firstUnfitLabelByte(label);
}

} // namespace ornibe
