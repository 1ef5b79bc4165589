// The JPEG quality slider's value and the text of the "Jpg Quality:" label beside it.
#pragma once

#include <string>
#include <string_view>

namespace framewise {

class JpgQuality {
  public:
    static constexpr int kMin = 10;
    static constexpr int kMax = 100;

    // The slider position, kept within the slider's range.
    void SetFromSlider(int position);
    int Value() const { return m_nJpgQuality; }

    int m_nJpgQuality = 90;
};

// The label with the part from its first colon to the end replaced by ":value". A label
// without a colon gets ":value" appended, so the value is always shown.
std::string QualityLabelText(std::string_view label, int value);

}  // namespace framewise
