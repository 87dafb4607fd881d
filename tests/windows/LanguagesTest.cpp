// The interface languages: the language list and default-language table,
// how an index and a code resolve, the translation file's rules, loading it
// from test archives embedded in this program (and from the shipped skin
// archive, which has none), the product's config.ini in a real folder, the
// language selector, the widths fitted to translated texts, and %{N}
// references drawn and measured.

#include "DuiLib/ComboUI.h"
#include "DuiLib/ControlUI.h"
#include "DuiLib/DialogBuilder.h"
#include "DuiLib/ImageData.h"
#include "DuiLib/LabelUI.h"
#include "DuiLib/PaintManager.h"
#include "DuiLib/RenderEngine.h"
#include "DuiLib/ResourceState.h"
#include "DuiLib/StringTable.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"
#include "windows/Languages.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Archives embedded in this test program (see LanguageTestResources.rc.in).
constexpr int kShippedSkin = 147;
constexpr int kTranslations = 150;
constexpr int kMalformed = 151;
constexpr int kEmptyFile = 152;
constexpr int kExactLimit = 153;
constexpr int kOverLimit = 154;

const wchar_t kChinese104[] = L"磁盘空间不足，无法安装";
const wchar_t kEnglish104[] = L"Not enough disk space";

// Makes one of this program's archives the process's skin archive, as the
// first window of the installer does with the shipped one.
bool UseArchive(int resourceId)
{
    DuiLib::ResetResourceState();
    DuiLib::SetArchiveFormat7z(true);
    return DuiLib::LoadArchiveResource(::GetModuleHandleW(nullptr), resourceId) &&
           DuiLib::GetCachedArchive() != nullptr;
}

std::wstring Registered(int id)
{
    std::optional<std::wstring> text = LanguageString(id);
    return text ? *text : L"<none>";
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class Languages : public ::testing::Test {
protected:
    void SetUp() override { DuiLib::StringTable::Clear(); }
    void TearDown() override
    {
        DuiLib::StringTable::Clear();
        DuiLib::ResetResourceState();
    }
};

// A window's control tree built from skin text, without a window.
class SkinText {
public:
    explicit SkinText(const std::string& xml)
    {
        DuiLib::DialogBuilder builder;
        built_ = manager_.AttachDialog(builder.CreateFromText(xml, nullptr, &manager_));
        SIZE size = manager_.GetInitSize();
        manager_.LayoutRoot(size.cx, size.cy);
    }
    bool Built() const { return built_; }
    DuiLib::PaintManager& Manager() { return manager_; }
    DuiLib::CLabelUI* Label(const std::wstring& name)
    {
        DuiLib::CControlUI* control = manager_.FindControl(name);
        return control ? static_cast<DuiLib::CLabelUI*>(control->GetInterface(L"Label")) : nullptr;
    }

private:
    DuiLib::PaintManager manager_;
    bool built_ = false;
};

TEST(LanguageList, BothCopiesHoldTheFourteenCodesInOrder)
{
    const std::vector<std::string> expected = {"en-US", "zh-CN", "zh-TW", "id-ID", "tr-TR", "de-DE", "fr-FR",
                                               "es-ES", "pt-PT", "ja-JP", "ko-KR", "pl-PL", "nl-NL", "it-IT"};
    EXPECT_EQ(expected, LanguageCodesNarrow());
    ASSERT_EQ(expected.size(), LanguageCodesWide().size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(expected[i], Narrow(LanguageCodesWide()[i]));
    EXPECT_TRUE(IsLanguageIndex(0));
    EXPECT_TRUE(IsLanguageIndex(13));
    EXPECT_FALSE(IsLanguageIndex(14));
    EXPECT_FALSE(IsLanguageIndex(-1));
}

TEST(DefaultLanguage, TableOfWindowsUiLanguages)
{
    struct Row {
        unsigned id;
        int index;
    } rows[] = {
        {3082, 7},  {2070, 0},  {2052, 0},  {1033, 0},  {1028, 2},  {1057, 3},  {1055, 4},  {1031, 5},
        {1036, 6},  {1034, 7},  {2058, 7},  {4106, 7},  {5130, 7},  {6154, 7},  {7178, 7},  {8202, 7},
        {9226, 7},  {10250, 7}, {11274, 7}, {12298, 7}, {13322, 7}, {14346, 7}, {15370, 7}, {16394, 7},
        {17418, 7}, {18442, 7}, {19466, 7}, {20490, 7}, {1046, 8},  {1041, 9},  {1042, 10}, {1045, 11},
        {1043, 12}, {2067, 12}, {1040, 13},
        // Not in the table.
        {2057, 0},  {1049, 0},  {3076, 0},  {21514, 0}, {0, 0},     {65535, 0},
    };
    for (const Row& row : rows) EXPECT_EQ(row.index, DefaultLanguageIndexFor(row.id)) << "UI language " << row.id;
    EXPECT_EQ(DefaultLanguageIndexFor(::GetUserDefaultUILanguage()), DefaultLanguageIndex());
}

TEST(LanguageIndex, CodeOrIndexResolves)
{
    struct Case {
        int index;
        const wchar_t* code;
        int resolved;
    } cases[] = {
        {5, L"xx-XX", 5},  // no such code: the index stays
        {20, L"", 0},      // no code, index outside the list
        {-1, L"", 0},      // no language applied yet
        {13, L"", 13},
        {14, L"", 0},
        {3, L"zh-CN", 1},  // the code wins
        {0, L"it-IT", 13},
        {3, L"ZH-CN", 3},  // codes compare case-sensitively
        {3, L"zh-cn", 3},
        {3, L" zh-CN", 3},
        {20, L"xx-XX", 0},  // an unknown code does not keep an index outside the list
        {-7, L"pl-PL", 11},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.resolved, ResolveLanguageIndex(c.index, c.code)) << c.index << " " << Narrow(c.code);
    }
}

TEST_F(Languages, TranslationEntries)
{
    DuiLib::PaintManager::AddMultiLanguageString(500, L"kept");
    DuiLib::PaintManager::AddMultiLanguageString(8, L"before");
    std::string json = u8R"([
        {"id": 104, "en-US": "English", "zh-CN": "中文"},
        {"zh-CN": "没有编号"},
        {"id": 8, "en-US": "English only"},
        {"id": 9, "zh-CN": 12},
        {"id": "11", "zh-CN": "id as text"},
        {"id": 12.5, "zh-CN": "id with a fraction"},
        {"id": 13.0, "zh-CN": "whole number"},
        42, "text", null, ["nested"],
        {"id": 14, "zh-CN": "bad BYTE bytes"},
        {"id": 104, "zh-CN": "中文，后者为准"}
    ])";
    json.replace(json.find("BYTE"), 4, "\xFF");
    ASSERT_TRUE(RegisterLanguageStrings(json, "zh-CN"));
    EXPECT_EQ(L"中文，后者为准", Registered(104)) << "a later entry replaces an earlier one";
    EXPECT_EQ(L"没有编号", Registered(0)) << "no id is id 0";
    EXPECT_EQ(L"", Registered(8)) << "no member for the language registers an empty string";
    EXPECT_EQ(L"", Registered(9)) << "a member that is not text registers an empty string";
    EXPECT_EQ(L"<none>", Registered(11)) << "an id that is not a number is skipped";
    EXPECT_EQ(L"<none>", Registered(12));
    EXPECT_EQ(L"whole number", Registered(13));
    EXPECT_EQ(L"", Registered(14)) << "text that is not UTF-8 registers an empty string";
    EXPECT_EQ(L"kept", Registered(500)) << "ids the file does not name stay";
}

TEST_F(Languages, TranslationFileWithAnObjectRoot)
{
    ASSERT_TRUE(RegisterLanguageStrings(u8R"({"first": {"id": 21, "de-DE": "Erster"},
                                             "second": {"id": 22, "de-DE": "Zweiter"}})",
                                        "de-DE"));
    EXPECT_EQ(L"Erster", Registered(21));
    EXPECT_EQ(L"Zweiter", Registered(22));
}

TEST_F(Languages, TranslationTextThatIsNotUsable)
{
    EXPECT_FALSE(RegisterLanguageStrings(R"([{"id": 104, "zh-CN": "x"},)", "zh-CN"));
    EXPECT_FALSE(RegisterLanguageStrings("", "zh-CN"));
    EXPECT_FALSE(RegisterLanguageStrings(std::string(100000, '['), "zh-CN")) << "nesting beyond the reader's limit";
    EXPECT_TRUE(RegisterLanguageStrings("104", "zh-CN")) << "a root with no entries parses";
    EXPECT_EQ(L"<none>", Registered(104));
    EXPECT_EQ(L"<none>", Registered(0));
}

TEST_F(Languages, LoadFromTheArchive)
{
    ASSERT_TRUE(UseArchive(kTranslations));
    DuiLib::PaintManager::AddMultiLanguageString(500, L"kept");
    struct Case {
        int index;
        const wchar_t* code;
        int loaded;
        std::wstring text104;
        std::wstring text7;
    } cases[] = {
        {1, L"", 1, kChinese104, L"七"},
        {5, L"xx-XX", 5, L"Zu wenig Speicherplatz", L"Sieben"},
        {20, L"", 0, kEnglish104, L"Seven"},
        {3, L"ZH-CN", 3, L"Ruang disk tidak cukup", L"Tujuh"},
        {0, L"es-ES", 7, L"Espacio en disco insuficiente", L"Siete"},
        {20, L"xx-XX", 0, kEnglish104, L"Seven"},
        {9, L"", 9, L"", L""},  // a language the file does not carry
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.loaded, LoadLanguage(c.index, c.code)) << c.index << " " << Narrow(c.code);
        EXPECT_EQ(c.text104, Registered(104)) << c.index << " " << Narrow(c.code);
        EXPECT_EQ(c.text7, Registered(7)) << c.index << " " << Narrow(c.code);
    }
    EXPECT_EQ(L"kept", Registered(500));
}

TEST_F(Languages, LoadRegistersTheChineseLowSpaceMessage)
{
    ASSERT_TRUE(UseArchive(kTranslations));
    EXPECT_EQ(kLowDiskSpaceDefaultText, LowDiskSpaceText());
    EXPECT_EQ(1, LoadLanguage(1, L""));
    EXPECT_EQ(kChinese104, Registered(kLowDiskSpaceStringId));
    EXPECT_EQ(kChinese104, LowDiskSpaceText());
    EXPECT_EQ(L"", Registered(8)) << "the entry without Chinese empties string 8";
}

TEST_F(Languages, FilesThatAreNotLoaded)
{
    struct Case {
        const char* name;
        int archive;
        int index;
        const wchar_t* code;
        int loaded;
    } cases[] = {
        {"malformed JSON: the resolved index", kMalformed, 1, L"", 1},
        {"malformed JSON, index outside the list", kMalformed, 30, L"", 0},
        {"malformed JSON, by code", kMalformed, 2, L"zh-CN", 1},
        {"empty file", kEmptyFile, 1, L"zh-CN", 0},
        {"one byte over 4 MiB", kOverLimit, 1, L"", 0},
        {"shipped skin archive, no language.json", kShippedSkin, 1, L"zh-CN", 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(UseArchive(c.archive)) << c.name;
        EXPECT_EQ(c.loaded, LoadLanguage(c.index, c.code)) << c.name;
        EXPECT_EQ(L"<none>", Registered(104)) << c.name << ": nothing registered";
        EXPECT_EQ(L"<none>", Registered(7)) << c.name;
    }
    DuiLib::ResetResourceState();
    EXPECT_EQ(0, LoadLanguage(1, L"zh-CN")) << "no skin archive at all";
}

TEST_F(Languages, FileOfExactlyFourMebibytesLoads)
{
    ASSERT_TRUE(UseArchive(kExactLimit));
    EXPECT_EQ(1, LoadLanguage(1, L""));
    EXPECT_EQ(L"四兆字节", Registered(104));
}

TEST_F(Languages, ShippedData)
{
    ASSERT_TRUE(UseArchive(kShippedSkin));
    DuiLib::PaintManager manager;
    DuiLib::DialogBuilder builder;
    ASSERT_TRUE(manager.AttachDialog(builder.Create(L"mainWnd.xml", nullptr, &manager)));
    EXPECT_EQ(nullptr, manager.FindControl(L"languageCombo"));
    EXPECT_EQ(L"", PackageLanguageCode(manager)) << "no selector, no language switch for the package";
    EXPECT_EQ(0, ApplyLanguage(manager, 1));
    EXPECT_EQ(0, LoadLanguageFromConfig(manager, TestSupport::TestTempDir().Path()));
    EXPECT_EQ(L"<none>", Registered(kLowDiskSpaceStringId));
    EXPECT_EQ(kLowDiskSpaceDefaultText, LowDiskSpaceText());
}

TEST_F(Languages, LowSpaceMessageFallsBackForAMissingOrEmptyString)
{
    EXPECT_EQ(std::wstring(L"安装目录所在磁盘空间不足，请选择其他安装路径"), LowDiskSpaceText());
    DuiLib::PaintManager::AddMultiLanguageString(104, L"");
    EXPECT_EQ(kLowDiskSpaceDefaultText, LowDiskSpaceText()) << "an empty translation says nothing";
    DuiLib::PaintManager::AddMultiLanguageString(104, L"No room");
    EXPECT_EQ(L"No room", LowDiskSpaceText());
}

class ProductConfig : public Languages {
protected:
    void SetUp() override
    {
        Languages::SetUp();
        ASSERT_TRUE(UseArchive(kTranslations));
        // The product may be installed below a path with spaces.
        folder_ = temp_ / L"Norvo Lumora";
        ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
    }
    bool WriteConfig(const std::string& text)
    {
        return TestSupport::WriteBytes(folder_ + L"\\config.ini", text);
    }

    TestSupport::TestTempDir temp_;
    std::wstring folder_;
    SkinText window_{"<Window size=\"100,40\"><VerticalLayout><Label name=\"a\" text=\"%{7}\" /></VerticalLayout></Window>"};
};

TEST_F(ProductConfig, LanguageKeyPresent)
{
    ASSERT_TRUE(WriteConfig("[Other]\r\nLanguage=de-DE\r\n[Install]\r\nPath=C:\\x\r\nLanguage=zh-CN\r\n"));
    EXPECT_EQ(L"zh-CN", ProductLanguageCode(folder_));
    EXPECT_EQ(1, LoadLanguageFromConfig(window_.Manager(), folder_));
    EXPECT_EQ(kChinese104, Registered(104));
    EXPECT_EQ(L"七", window_.Label(L"a")->GetDisplayText());

    ASSERT_TRUE(WriteConfig("[Install]\r\nLanguage=de-DE\r\n"));
    EXPECT_EQ(5, LoadLanguageFromConfig(window_.Manager(), folder_));
    EXPECT_EQ(L"Sieben", Registered(7));
}

TEST_F(ProductConfig, LanguageKeyMissingMeansEnglish)
{
    ASSERT_TRUE(WriteConfig("[Install]\r\nPath=C:\\x\r\n[Other]\r\nLanguage=zh-CN\r\n"));
    EXPECT_EQ(L"en-US", ProductLanguageCode(folder_));
    EXPECT_EQ(0, LoadLanguageFromConfig(window_.Manager(), folder_));
    EXPECT_EQ(kEnglish104, Registered(104));
}

TEST_F(ProductConfig, NoConfigFile)
{
    EXPECT_EQ(L"", ProductLanguageCode(folder_));
    EXPECT_EQ(L"", ProductLanguageCode(folder_ + L"\\missing folder"));
    ASSERT_TRUE(::CreateDirectoryW((folder_ + L"\\config.ini").c_str(), nullptr));
    EXPECT_EQ(L"", ProductLanguageCode(folder_)) << "a folder named config.ini is no config file";
    EXPECT_EQ(0, LoadLanguageFromConfig(window_.Manager(), folder_));
    EXPECT_EQ(kEnglish104, Registered(104)) << "index 0 stays: English";
}

std::string SelectorSkin(int items)
{
    std::string xml = "<Window size=\"300,100\"><VerticalLayout><Combo name=\"languageCombo\" width=\"120\" height=\"24\">";
    for (int i = 0; i < items; ++i) xml += "<Label text=\"item " + std::to_string(i) + "\" />";
    return xml + "</Combo></VerticalLayout></Window>";
}

TEST_F(Languages, PackageCodeFollowsTheSelector)
{
    SkinText window(SelectorSkin(16));
    ASSERT_TRUE(window.Built());
    auto* selector = static_cast<DuiLib::CComboUI*>(window.Manager().FindControl(L"languageCombo"));
    EXPECT_EQ(L"", PackageLanguageCode(window.Manager())) << "nothing chosen yet";
    struct Case {
        int item;
        const wchar_t* code;
    } cases[] = {{5, L"de-DE"}, {1, L"zh-CN"}, {0, L"en-US"}, {13, L"it-IT"}, {14, L""}, {15, L""}};
    for (const Case& c : cases) {
        ASSERT_TRUE(selector->SelectItem(c.item, false, false));
        EXPECT_EQ(c.code, PackageLanguageCode(window.Manager())) << "item " << c.item;
    }
    SkinText plain("<Window size=\"300,100\"><VerticalLayout><Label name=\"languageCombo\" /></VerticalLayout></Window>");
    EXPECT_EQ(L"", PackageLanguageCode(plain.Manager())) << "a control of that name that is no selector";
}

// Width of text in a label's font and style, plus its left text padding.
LONG FittedWidth(DuiLib::PaintManager& manager, DuiLib::CLabelUI* label, const std::wstring& text)
{
    HDC screen = ::GetDC(nullptr);
    SIZE size = DuiLib::RenderEngine::MeasureText(screen, manager.GetFont(label->GetFont()), text,
                                                   label->GetTextStyle(), 0);
    ::ReleaseDC(nullptr, screen);
    return size.cx + label->GetTextPadding().left;
}

TEST_F(Languages, ApplyFitsTheLabelsToTheirTranslatedTexts)
{
    ASSERT_TRUE(UseArchive(kTranslations));
    SkinText window(
        "<Window size=\"400,200\"><Font id=\"0\" name=\"Arial\" size=\"12\" /><Font id=\"1\" name=\"Arial\" size=\"20\" bold=\"true\" />"
        "<VerticalLayout><HorizontalLayout height=\"30\">"
        "<Label name=\"lbLanguage\" text=\"%{7}\" width=\"5\" font=\"1\" textpadding=\"6,0,9,0\" />"
        "<Label name=\"lbInstallPath\" text=\"Path: %{104}\" width=\"5\" font=\"0\" textpadding=\"3,0,0,0\" />"
        "<Button name=\"backBtn\" text=\"&lt; %{7}\" width=\"64\" font=\"0\" />"
        "<Label name=\"other\" text=\"%{104}\" width=\"5\" />"
        "</HorizontalLayout></VerticalLayout></Window>");
    ASSERT_TRUE(window.Built());
    DuiLib::PaintManager& manager = window.Manager();
    auto* language = window.Label(L"lbLanguage");
    auto* path = window.Label(L"lbInstallPath");
    auto* back = window.Label(L"backBtn");

    EXPECT_EQ(1, ApplyLanguage(manager, 1));
    EXPECT_EQ(FittedWidth(manager, language, L"七"), language->GetFixedWidth());
    EXPECT_EQ(FittedWidth(manager, path, std::wstring(L"Path: ") + kChinese104), path->GetFixedWidth());
    EXPECT_EQ(FittedWidth(manager, back, L"< 七"), back->GetFixedWidth());
    EXPECT_EQ(5, window.Label(L"other")->GetFixedWidth()) << "only the three named controls are fitted";

    EXPECT_EQ(0, ApplyLanguage(manager, 0));
    EXPECT_EQ(FittedWidth(manager, language, L"Seven"), language->GetFixedWidth());
    EXPECT_EQ(FittedWidth(manager, back, L"< Seven"), back->GetFixedWidth());
    EXPECT_GT(language->GetFixedWidth(), FittedWidth(manager, language, L"七")) << "the English text is wider";
    manager.EnsureLayout();
    EXPECT_EQ(language->GetFixedWidth(), language->GetPos().right - language->GetPos().left)
        << "the new width is laid out";
}

// What a label with the given text shows, drawn the toolkit's way.
std::vector<uint32_t> DrawnLabel(const std::string& text)
{
    SkinText window("<Window size=\"160,24\"><Label text=\"" + text + "\" textcolor=\"#FF000000\" /></Window>");
    DuiLib::ImagePtr canvas = DuiLib::CreateImageData(160, 24);
    DuiLib::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    DuiLib::ScopedSelect select(dc.Get(), canvas->bitmap.Get());
    RECT all{0, 0, 160, 24};
    ::FillRect(dc.Get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    window.Manager().Paint(dc.Get(), all);
    ::GdiFlush();
    return std::vector<uint32_t>(canvas->bits, canvas->bits + 160 * 24);
}

// The same text written plainly, with no string references resolved.
std::vector<uint32_t> DrawnPlainly(const std::wstring& text)
{
    DuiLib::ImagePtr canvas = DuiLib::CreateImageData(160, 24);
    DuiLib::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    DuiLib::ScopedSelect select(dc.Get(), canvas->bitmap.Get());
    RECT all{0, 0, 160, 24};
    ::FillRect(dc.Get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    DuiLib::CLabelUI style;
    DuiLib::RenderEngine::DrawTextInRect(dc.Get(), static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), all, text,
                                         0xFF000000, style.GetTextStyle());
    ::GdiFlush();
    return std::vector<uint32_t>(canvas->bits, canvas->bits + 160 * 24);
}

TEST_F(Languages, LabelShowsTheRegisteredStringOrTheReference)
{
    ASSERT_NE(DrawnPlainly(L"Seven"), DrawnPlainly(L"%{7}")) << "the two texts must look different";

    EXPECT_EQ(DrawnPlainly(L"%{7}"), DrawnLabel("%{7}")) << "nothing registered: the reference itself";
    ASSERT_TRUE(UseArchive(kTranslations));
    ASSERT_EQ(0, LoadLanguage(0, L""));
    EXPECT_EQ(DrawnPlainly(L"Seven"), DrawnLabel("%{7}")) << "string 7 as registered";

    HDC screen = ::GetDC(nullptr);
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    DuiLib::CLabelUI label;
    label.SetText(L"%{7}");
    SIZE shown = label.MeasureText(screen, label.GetText());
    SIZE seven = DuiLib::RenderEngine::MeasureText(screen, font, L"Seven", label.GetTextStyle(), 0);
    DuiLib::StringTable::Clear();
    SIZE reference = label.MeasureText(screen, label.GetText());
    SIZE plain = DuiLib::RenderEngine::MeasureText(screen, font, L"%{7}", label.GetTextStyle(), 0);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(seven.cx, shown.cx);
    EXPECT_EQ(plain.cx, reference.cx);
    EXPECT_NE(shown.cx, reference.cx);
}

}  // namespace
