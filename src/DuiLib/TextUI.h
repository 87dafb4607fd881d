#pragma once
// A plain text control; the caption band does not drag through it.

#include "LabelUI.h"

namespace DuiLib {

class CTextUI : public CLabelUI {
public:
    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;
};

}  // namespace DuiLib
