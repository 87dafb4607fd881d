#pragma once
// Builds a window's control tree from a skin XML document: the Window
// element's attributes and fonts go to the paint manager, the one control
// element below it becomes the root. Element names it does not know are
// offered to the callback; attributes it does not know are ignored. Controls
// receive attribute names as the skin spells them.

#include "ControlUI.h"

#include <memory>
#include <string>

namespace DuiLib {

class IDialogBuilderCallback;
class PaintManager;

class DialogBuilder {
public:
    // Reads the skin through the resource state (archive or disk). Null when
    // the file cannot be read or holds no control tree; LastError says why.
    std::unique_ptr<CControlUI> Create(const std::wstring& skinFile, IDialogBuilderCallback* callback,
                                       PaintManager* manager);
    // The same from UTF-8 text in memory.
    std::unique_ptr<CControlUI> CreateFromText(const std::string& utf8, IDialogBuilderCallback* callback,
                                               PaintManager* manager);
    const std::wstring& LastError() const { return error_; }

    // A control of a known element name, or null.
    static std::unique_ptr<CControlUI> CreateKnownControl(const std::wstring& elementName);

private:
    std::wstring error_;
};

}  // namespace DuiLib
