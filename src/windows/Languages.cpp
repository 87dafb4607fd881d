#include "Languages.h"

#include "DuiLib/ComboUI.h"
#include "DuiLib/LabelUI.h"
#include "DuiLib/PaintManager.h"
#include "DuiLib/ResourceState.h"
#include "DuiLib/SkinArchive.h"
#include "Utils/TextConvert.h"

#include <json/json.h>
#include <windows.h>

#include <exception>
#include <iterator>
#include <sstream>

const wchar_t kLowDiskSpaceDefaultText[] = L"安装目录所在磁盘空间不足，请选择其他安装路径";

namespace {

const char* const kCodes[kLanguageCount] = {"en-US", "zh-CN", "zh-TW", "id-ID", "tr-TR", "de-DE", "fr-FR",
                                            "es-ES", "pt-PT", "ja-JP", "ko-KR", "pl-PL", "nl-NL", "it-IT"};

// Windows UI language ids with a language of their own in the list.
struct DefaultLanguageRow {
    unsigned id;
    int index;
};
const DefaultLanguageRow kDefaultLanguages[] = {
    {1033, 0},   {1028, 2},   {1057, 3},   {1055, 4},   {1031, 5},   {1036, 6},   {1034, 7},   {2058, 7},
    {3082, 7},   {4106, 7},   {5130, 7},   {6154, 7},   {7178, 7},   {8202, 7},   {9226, 7},   {10250, 7},
    {11274, 7},  {12298, 7},  {13322, 7},  {14346, 7},  {15370, 7},  {16394, 7},  {17418, 7},  {18442, 7},
    {19466, 7},  {20490, 7},  {1046, 8},   {1041, 9},   {1042, 10},  {1045, 11},  {1043, 12},  {2067, 12},
    {1040, 13},
};

// UTF-8 to UTF-16; "" for bytes that are not UTF-8.
std::wstring WideFromUtf8(const std::string& text)
{
    if (text.empty()) return std::wstring();
    int length = static_cast<int>(text.size());
    int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, &wide[0], size) != size) {
        return std::wstring();
    }
    return wide;
}

// The bytes of "language.json" from the cached skin archive; false when it is
// missing, empty or too large.
bool ReadLanguageFile(std::string& bytes)
{
    const DuiLib::SkinArchive* archive = DuiLib::GetCachedArchive();
    uint32_t index = 0;
    uint64_t size = 0;
    if (!DuiLib::FindEntry(archive, L"language.json", index, size)) return false;
    if (size == 0 || size > kMaxLanguageFileBytes) return false;
    bytes.resize(static_cast<size_t>(size));
    return DuiLib::ExtractEntry(archive, index, &bytes[0]);
}

void RegisterEntry(const Json::Value& entry, const std::string& languageCode)
{
    if (!entry.isObject()) return;
    const Json::Value& id = entry["id"];
    if (!id.isNull() && !id.isInt()) return;
    const Json::Value& text = entry[languageCode];
    std::wstring wide = text.isString() ? WideFromUtf8(text.asString()) : std::wstring();
    DuiLib::PaintManager::AddMultiLanguageString(id.isNull() ? 0 : id.asInt(), wide);
}

// Releases a device context taken with GetDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

void FitWidthToText(DuiLib::PaintManager& window, HDC dc, const wchar_t* name)
{
    DuiLib::CControlUI* control = window.FindControl(name);
    auto* label = control ? static_cast<DuiLib::CLabelUI*>(control->GetInterface(L"Label")) : nullptr;
    if (!label) return;
    SIZE text = label->MeasureText(dc, label->GetText());
    label->SetFixedWidth(text.cx + label->GetTextPadding().left);
}

void LayOutAgain(DuiLib::PaintManager& window)
{
    window.NeedUpdate();
    window.EnsureLayout();
}

}  // namespace

const std::vector<std::string>& LanguageCodesNarrow()
{
    static const std::vector<std::string> codes(std::begin(kCodes), std::end(kCodes));
    return codes;
}

const std::vector<std::wstring>& LanguageCodesWide()
{
    static const std::vector<std::wstring> codes = [] {
        std::vector<std::wstring> wide;
        for (const char* code : kCodes) wide.emplace_back(code, code + std::char_traits<char>::length(code));
        return wide;
    }();
    return codes;
}

bool IsLanguageIndex(int index) { return index >= 0 && index < kLanguageCount; }

int DefaultLanguageIndexFor(unsigned uiLanguageId)
{
    for (const DefaultLanguageRow& row : kDefaultLanguages) {
        if (row.id == uiLanguageId) return row.index;
    }
    return 0;
}

int DefaultLanguageIndex() { return DefaultLanguageIndexFor(::GetUserDefaultUILanguage()); }

int ResolveLanguageIndex(int index, const std::wstring& code)
{
    if (!code.empty()) {
        std::string narrow = Utils::ToNarrow(code, CP_ACP);
        const std::vector<std::string>& codes = LanguageCodesNarrow();
        for (size_t i = 0; i < codes.size(); ++i) {
            if (codes[i] == narrow) return static_cast<int>(i);
        }
    }
    // An index from outside (a switch, a setting) may be anything; only the list has strings.
    return IsLanguageIndex(index) ? index : 0;
}

bool RegisterLanguageStrings(const std::string& json, const std::string& languageCode)
{
    Json::CharReaderBuilder builder;
    Json::Value root;
    std::string errors;
    std::istringstream stream(json);
    try {
        if (!Json::parseFromStream(builder, stream, &root, &errors)) return false;
    } catch (const std::exception&) {
        // The reader throws instead of failing for some input (nesting beyond its limit).
        return false;
    }
    if (!root.isArray() && !root.isObject()) return true;
    for (const Json::Value& entry : root) RegisterEntry(entry, languageCode);
    return true;
}

int LoadLanguage(int index, const std::wstring& code)
{
    std::string bytes;
    if (!ReadLanguageFile(bytes)) return 0;
    int resolved = ResolveLanguageIndex(index, code);
    RegisterLanguageStrings(bytes, LanguageCodesNarrow()[static_cast<size_t>(resolved)]);
    return resolved;
}

std::wstring ProductLanguageCode(const std::wstring& folder)
{
    std::wstring path = folder + L"\\config.ini";
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::wstring();
    wchar_t value[256] = {};
    DWORD length = ::GetPrivateProfileStringW(L"Install", L"Language", L"en-US", value, 256, path.c_str());
    return std::wstring(value, length);
}

int LoadLanguageFromConfig(DuiLib::PaintManager& window, const std::wstring& folder)
{
    int index = LoadLanguage(0, ProductLanguageCode(folder));
    LayOutAgain(window);
    return index;
}

int ApplyLanguage(DuiLib::PaintManager& window, int index)
{
    int applied = LoadLanguage(index, L"");
    LayOutAgain(window);
    WindowDc dc(window.GetPaintWindow());
    if (dc.Get()) {
        for (const wchar_t* name : {L"lbLanguage", L"lbInstallPath", L"backBtn"}) FitWidthToText(window, dc.Get(), name);
    }
    return applied;
}

std::wstring PackageLanguageCode(const DuiLib::PaintManager& window)
{
    DuiLib::CControlUI* control = window.FindControl(L"languageCombo");
    auto* selector = control ? static_cast<DuiLib::CComboUI*>(control->GetInterface(L"Combo")) : nullptr;
    if (!selector || !IsLanguageIndex(selector->GetCurSel())) return std::wstring();
    return LanguageCodesWide()[static_cast<size_t>(selector->GetCurSel())];
}

std::optional<std::wstring> LanguageString(int id)
{
    const std::wstring* text = DuiLib::PaintManager::GetMultiLanguageString(id);
    if (!text) return std::nullopt;
    return *text;
}

std::wstring LowDiskSpaceText()
{
    std::optional<std::wstring> text = LanguageString(kLowDiskSpaceStringId);
    return text && !text->empty() ? *text : std::wstring(kLowDiskSpaceDefaultText);
}
