#pragma once
// A single-line text entry. It paints like a label; while it has the focus a
// native edit child sits over its text box and does the editing, and its text
// becomes the control's text when the focus leaves (sending "textchanged").

#include "LabelUI.h"

namespace DuiLib {

class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;
    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;

    // While editing, the native edit's current text.
    std::wstring GetText() const override;
    void SetText(const std::wstring& text) override;
    bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    int GetMaxChar() const { return maxChar_; }
    HWND GetNativeEdit() const { return nativeEdit_; }

    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void DoEvent(UIEvent& event) override;
    void SetPos(const RECT& rc) override;
    void SetInternVisible(bool visible) override;
    void PaintText(HDC dc) override;

    // Ends editing: takes the native text and removes the native edit.
    void EndEdit();

private:
    void BeginEdit();
    RECT NativeEditBox() const;
    static LRESULT CALLBACK NativeEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleNativeEditMessage(WNDPROC previous, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    bool readOnly_ = false;
    bool password_ = false;
    int maxChar_ = 0;  // 0: no limit (install paths may be long)
    HWND nativeEdit_ = nullptr;  // owned while editing
    WNDPROC nativeEditProc_ = nullptr;
};

}  // namespace DuiLib
