#pragma once
// A button that flips its background through numbered frame images on a
// timer (element "SequenceButton"); by default it runs back and forth, a
// frame every 60 ms. See SequenceAnimation.h for the frame order.

#include "ButtonUI.h"
#include "SequenceControlUI.h"

namespace DuiLib {

class CSequenceButtonUI : public CSequenceControlUI<CButtonUI> {
public:
    CSequenceButtonUI();

    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;
};

}  // namespace DuiLib
