#include "picture/QualityLabel.h"

#include <algorithm>

namespace framewise {

void JpgQuality::SetFromSlider(int position) {
    m_nJpgQuality = std::clamp(position, kMin, kMax);
}

std::string QualityLabelText(std::string_view label, int value) {
    const std::size_t colon = label.find(':');
    std::string text(label.substr(0, colon));
    text += ':';
    text += std::to_string(value);
    return text;
}

}  // namespace framewise
