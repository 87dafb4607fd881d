#include "DialogBuilder.h"

#include "AttributeValues.h"
#include "ButtonUI.h"
#include "CheckBoxUI.h"
#include "ComboUI.h"
#include "ContainerUI.h"
#include "ControlUI.h"
#include "DuiLib/ResourceState.h"
#include "EditUI.h"
#include "HorizontalLayoutUI.h"
#include "IDialogBuilderCallback.h"
#include "LabelUI.h"
#include "OptionUI.h"
#include "PaintManager.h"
#include "ProgressUI.h"
#include "StringTable.h"
#include "TabLayoutUI.h"
#include "TextUI.h"
#include "Utils/TextConvert.h"
#include "VerticalLayoutUI.h"

#include <pugixml.hpp>

#include <utility>

namespace DuiLib {

namespace {

std::wstring Wide(const char* text) { return Utils::ToWide(text ? text : "", 65001); }

void ApplyWindowElement(const pugi::xml_node& window, PaintManager* manager)
{
    for (const pugi::xml_attribute& attribute : window.attributes()) {
        manager->SetWindowAttribute(Wide(attribute.name()), Wide(attribute.value()));
    }
}

void ApplyFont(const pugi::xml_node& font, PaintManager* manager)
{
    int id = -1;
    std::wstring face;
    int size = 12;
    bool bold = false, underline = false, italic = false, isDefault = false;
    for (const pugi::xml_attribute& attribute : font.attributes()) {
        std::wstring name = AttributeKey(Wide(attribute.name()));
        std::wstring value = Wide(attribute.value());
        if (name == L"id") id = ParseInt(value);
        else if (name == L"name") face = value;
        else if (name == L"size") size = ParseInt(value);
        else if (name == L"bold") bold = ParseBool(value);
        else if (name == L"underline") underline = ParseBool(value);
        else if (name == L"italic") italic = ParseBool(value);
        else if (name == L"default") isDefault = ParseBool(value);
    }
    if (id >= 0) manager->AddFont(id, face, size, bold, underline, italic, isDefault);
}

void ApplyMultiLanguage(const pugi::xml_node& node)
{
    int id = -1;
    std::wstring value;
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        std::wstring name = AttributeKey(Wide(attribute.name()));
        if (name == L"id") id = ParseInt(Wide(attribute.value()));
        else if (name == L"value") value = Wide(attribute.value());
    }
    if (id >= 0) StringTable::Add(id, value);
}

bool IsSettingElement(const std::wstring& name)
{
    return name == L"Font" || name == L"MultiLanguage" || name == L"Image" || name == L"Default";
}

class TreeParser {
public:
    explicit TreeParser(IDialogBuilderCallback* callback) : callback_(callback) {}

    // Builds the control for node and its children; null skips the element.
    // Attribute names reach the control as the skin spells them.
    std::unique_ptr<CControlUI> Build(const pugi::xml_node& node)
    {
        std::wstring elementName = Wide(node.name());
        std::unique_ptr<CControlUI> control = DialogBuilder::CreateKnownControl(elementName);
        if (!control && callback_) control = callback_->CreateControl(elementName);
        if (!control) return nullptr;
        for (const pugi::xml_attribute& attribute : node.attributes()) {
            control->SetAttribute(Wide(attribute.name()), Wide(attribute.value()));
        }
        auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"));
        for (const pugi::xml_node& child : node.children()) {
            if (child.type() != pugi::node_element) continue;
            std::unique_ptr<CControlUI> built = Build(child);
            // Only containers hold children; a stray child is dropped.
            if (built && container) container->Add(std::move(built));
        }
        return control;
    }

private:
    IDialogBuilderCallback* callback_;
};

template <typename Control>
std::unique_ptr<CControlUI> Make()
{
    return std::make_unique<Control>();
}

}  // namespace

std::unique_ptr<CControlUI> DialogBuilder::CreateKnownControl(const std::wstring& elementName)
{
    static const std::pair<const wchar_t*, std::unique_ptr<CControlUI> (*)()> known[] = {
        {L"Control", &Make<CControlUI>},
        {L"Container", &Make<CContainerUI>},
        {L"VerticalLayout", &Make<CVerticalLayoutUI>},
        {L"HorizontalLayout", &Make<CHorizontalLayoutUI>},
        {L"TabLayout", &Make<CTabLayoutUI>},
        {L"Label", &Make<CLabelUI>},
        {L"Text", &Make<CTextUI>},
        {L"Button", &Make<CButtonUI>},
        {L"Option", &Make<COptionUI>},
        {L"CheckBox", &Make<CCheckBoxUI>},
        {L"Edit", &Make<CEditUI>},
        {L"Progress", &Make<CProgressUI>},
        {L"Combo", &Make<CComboUI>},
    };
    for (const auto& entry : known) {
        if (elementName == entry.first) return entry.second();
    }
    return nullptr;
}

std::unique_ptr<CControlUI> DialogBuilder::Create(const std::wstring& skinFile, IDialogBuilderCallback* callback,
                                  PaintManager* manager)
{
    std::string utf8;
    std::wstring error;
    if (!ReadSkinFile(skinFile, utf8, error)) {
        error_ = error;
        return nullptr;
    }
    return CreateFromText(utf8, callback, manager);
}

std::unique_ptr<CControlUI> DialogBuilder::CreateFromText(const std::string& utf8, IDialogBuilderCallback* callback,
                                          PaintManager* manager)
{
    error_.clear();
    pugi::xml_document document;
    pugi::xml_parse_result parsed = document.load_buffer(utf8.data(), utf8.size(), pugi::parse_default,
                                                         pugi::encoding_utf8);
    if (!parsed) {
        error_ = Wide(parsed.description());
        return nullptr;
    }
    pugi::xml_node window = document.document_element();
    if (!window) {
        error_ = L"No root element";
        return nullptr;
    }
    TreeParser parser(callback);
    if (std::string(window.name()) != "Window") {
        // A bare control tree without a Window element still builds.
        std::unique_ptr<CControlUI> root = parser.Build(window);
        if (!root) error_ = L"Unknown root element";
        return root;
    }
    if (manager) ApplyWindowElement(window, manager);
    for (const pugi::xml_node& child : window.children()) {
        if (child.type() != pugi::node_element) continue;
        std::wstring name = Wide(child.name());
        if (name == L"Font") {
            if (manager) ApplyFont(child, manager);
        } else if (name == L"MultiLanguage") {
            ApplyMultiLanguage(child);
        } else if (!IsSettingElement(name)) {
            // The first control element is the tree; any later one is not part of the window.
            std::unique_ptr<CControlUI> root = parser.Build(child);
            if (root) return root;
        }
    }
    error_ = L"No control tree";
    return nullptr;
}

}  // namespace DuiLib
