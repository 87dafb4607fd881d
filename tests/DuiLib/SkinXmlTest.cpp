// The six skin documents as shipped in the embedded archive: well formed,
// shaped as the toolkit expects (Window, fonts, one root layout), naming the
// controls the windows look up, and naming only pictures the set has (apart
// from the disabled-state images no button ever shows).

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <cstdio>
#include <cstring>
#include <set>

#include "ArchiveFixtures.h"
#include "DuiLib/ResourceState.h"
#include "DuiLib/SkinArchive.h"
#include "SkinInventory.h"
#include "Utils/TextConvert.h"

using namespace DuiLib;

namespace {

class ShippedSkins : public ArchiveTests::EmbeddedSkinSuite {
protected:
    static bool Load(const std::wstring& file, pugi::xml_document& doc)
    {
        std::string text;
        std::wstring error;
        if (!ReadSkinFile(file, text, error)) {
            ADD_FAILURE() << "cannot read " << Utils::ToNarrow(file, 65001) << ": " << Utils::ToNarrow(error, 65001);
            return false;
        }
        pugi::xml_parse_result parsed = doc.load_buffer(text.data(), text.size(), pugi::parse_default,
            pugi::encoding_utf8);
        if (!parsed) ADD_FAILURE() << Utils::ToNarrow(file, 65001) << ": " << parsed.description();
        return static_cast<bool>(parsed);
    }
};

pugi::xml_node FindNamed(const pugi::xml_node& root, const char* name)
{
    return root.find_node([name](const pugi::xml_node& n) { return std::strcmp(n.attribute("name").value(), name) == 0; });
}

struct SkinShape {
    const wchar_t* file;
    const char* size;
    const char* roundcorner;
    const char* caption;
    std::vector<int> fontSizes;  // by id
    const char* rootSize;        // width,height of the root layout
};

TEST_F(ShippedSkins, EachIsAWindowWithFontsAndOneRootLayout)
{
    const SkinShape shapes[] = {
        {L"MainWnd.xml", "600,400", "1,0", "0,0,0,35", {14, 18, 14, 12, 24, 32, 16}, "480,100"},
        {L"MessageBox1Wnd.xml", "360,180", "2,2", "0,0,0,30", {14, 16}, "360,180"},
        {L"MessageBox2Wnd.xml", "360,180", "2,2", "0,0,0,30", {14, 14}, "360,180"},
        {L"ExitTipWnd.xml", "360,180", "2,2", "0,0,0,30", {14, 16, 14, 14, 12, 30}, "360,180"},
        {L"NetworkTipWnd.xml", "360,180", "2,2", "0,0,0,30", {14, 14}, "360,180"},
        {L"InstalledPathTipWnd.xml", "400,180", "1,0", "0,0,0,30", {16, 16}, "360,180"},
    };
    for (const SkinShape& shape : shapes) {
        SCOPED_TRACE(Utils::ToNarrow(shape.file, 65001));
        pugi::xml_document doc;
        ASSERT_TRUE(Load(shape.file, doc));
        pugi::xml_node window = doc.document_element();
        ASSERT_STREQ("Window", window.name());
        EXPECT_STREQ(shape.size, window.attribute("size").value());
        EXPECT_STREQ(shape.roundcorner, window.attribute("roundcorner").value());
        EXPECT_STREQ(shape.caption, window.attribute("caption").value());
        EXPECT_STREQ("true", window.attribute("showshadow").value());

        std::vector<int> fontSizes;
        int controls = 0;
        pugi::xml_node root;
        for (pugi::xml_node child : window.children()) {
            if (std::strcmp(child.name(), "Font") == 0) {
                EXPECT_EQ(0, controls) << "fonts come before the control tree";
                EXPECT_EQ(static_cast<int>(fontSizes.size()), child.attribute("id").as_int(-1));
                EXPECT_EQ("微软雅黑", std::string(child.attribute("name").value()));
                fontSizes.push_back(child.attribute("size").as_int());
                EXPECT_EQ(fontSizes.size() == 1, child.attribute("default").as_bool());
            } else {
                ++controls;
                root = child;
            }
        }
        EXPECT_EQ(shape.fontSizes, fontSizes);
        ASSERT_EQ(1, controls);
        EXPECT_STREQ("VerticalLayout", root.name());
        std::string rootSize = std::string(root.attribute("width").value()) + "," + root.attribute("height").value();
        EXPECT_EQ(shape.rootSize, rootSize);
    }
}

struct NamedControl {
    const wchar_t* file;
    const char* name;
    const char* element;
    const char* text;  // null: no text attribute
};

TEST_F(ShippedSkins, NameTheControlsTheWindowsLookUp)
{
    const NamedControl controls[] = {
        {L"mainWnd.xml", "winCtn", "VerticalLayout", nullptr},
        {L"mainWnd.xml", "titleTabLt", "TabLayout", nullptr},
        {L"mainWnd.xml", "backBtn", "Button", nullptr},
        {L"mainWnd.xml", "titleGrpCtn", "HorizontalLayout", nullptr},
        {L"mainWnd.xml", "minbtn", "Button", nullptr},
        {L"mainWnd.xml", "closebtn", "Button", nullptr},
        {L"mainWnd.xml", "mainTabLt", "TabLayout", nullptr},
        {L"mainWnd.xml", "defaultInstallBtn", "Button", nullptr},
        {L"mainWnd.xml", "tipLbl", "Label", nullptr},
        {L"mainWnd.xml", "treatyCb", "CheckBox", "已同意"},
        {L"mainWnd.xml", "treatyBtn", "CheckBox", "《用户许可协议》"},
        {L"mainWnd.xml", "customeBtn", "Button", "自定义安装"},
        {L"mainWnd.xml", "installDirEdit", "Edit", nullptr},
        {L"mainWnd.xml", "chDirBtn", "Button", nullptr},
        {L"mainWnd.xml", "createDSCb", "CheckBox", "创建桌面快捷方式"},
        {L"mainWnd.xml", "createQSCb", "CheckBox", "添加到快速启动栏"},
        {L"mainWnd.xml", "customeInstallBtn", "Button", nullptr},
        {L"mainWnd.xml", "progressAnLb", "SequenceLabel", nullptr},
        {L"mainWnd.xml", "progressLb", "Label", "正在安装中:0%，请稍候..."},
        {L"mainWnd.xml", "installPrg", "Progress", nullptr},
        {L"mainWnd.xml", "openProduceBtn", "Button", nullptr},
        {L"MessageBox1Wnd.xml", "captionLbl", "Label", "CAPTION"},
        {L"MessageBox1Wnd.xml", "textLbl", "Label", "TEXT"},
        {L"MessageBox1Wnd.xml", "closebtn", "Button", nullptr},
        {L"MessageBox2Wnd.xml", "captionLbl", "Label", "CAPTION"},
        {L"MessageBox2Wnd.xml", "textLbl", "Label", "TEXT"},
        {L"MessageBox2Wnd.xml", "closebtn", "Button", nullptr},
        {L"exitTipWnd.xml", "VerticalLayoutUI1", "VerticalLayout", nullptr},
        {L"exitTipWnd.xml", "abcc", "Label", "您确定要退出安装吗？"},
        {L"exitTipWnd.xml", "okBtn", "Button", "是"},
        {L"exitTipWnd.xml", "cancelBtn", "Button", "否"},
        {L"exitTipWnd.xml", "closebtn", "Button", nullptr},
        {L"NetworkTipWnd.xml", "okBtn", "Button", "重新安装"},
        {L"NetworkTipWnd.xml", "cancelBtn", "Button", "稍后再试"},
        {L"NetworkTipWnd.xml", "closebtn", "Button", nullptr},
        {L"InstalledPathTipWnd.xml", "okBtn", "Button", "安装最新版本"},
        {L"InstalledPathTipWnd.xml", "cancelBtn", "Button", "打开软件"},
        {L"InstalledPathTipWnd.xml", "closebtn", "Button", nullptr},
    };
    for (const NamedControl& c : controls) {
        SCOPED_TRACE(Utils::ToNarrow(c.file, 65001) + " " + c.name);
        pugi::xml_document doc;
        ASSERT_TRUE(Load(c.file, doc));
        pugi::xml_node node = FindNamed(doc.document_element(), c.name);
        ASSERT_TRUE(node);
        EXPECT_STREQ(c.element, node.name());
        if (c.text) {
            EXPECT_EQ(std::string(c.text), node.attribute("text").value());
        } else {
            EXPECT_FALSE(node.attribute("text"));
        }
    }
}

TEST_F(ShippedSkins, LeaveOutTheNamesOnlyTheCodeKnows)
{
    pugi::xml_document doc;
    ASSERT_TRUE(Load(L"mainWnd.xml", doc));
    for (const char* name : {"serviceCb", "ableftBtn", "abrightBtn", "finishedLbl", "softNameLbl", "installLogo",
             "languageCombo", "bTitleLbl1", "bTitleLbl2", "bTitleLbl3", "lbLanguage", "lbInstallPath"})
        EXPECT_FALSE(FindNamed(doc.document_element(), name)) << name;
    EXPECT_FALSE(FindNamed(doc.document_element(), "progressLb").attribute("userdata"));
    // The main window starts with the hint and the licence row hidden.
    EXPECT_STREQ("false", FindNamed(doc.document_element(), "tipLbl").attribute("visible").value());
    EXPECT_STREQ("false", FindNamed(doc.document_element(), "treatyCb").parent().attribute("visible").value());
}

// Pictures named by an image description: a bare path or file='...'.
std::string ImageFile(const std::string& description)
{
    std::size_t at = description.find("file='");
    if (at == std::string::npos) return description;
    at += 6;
    return description.substr(at, description.find('\'', at) - at);
}

void CollectImages(const pugi::xml_node& node, std::set<std::string>& out)
{
    for (pugi::xml_attribute a : node.attributes()) {
        std::string key = a.name();
        bool isImage = key.size() > 5 && key.compare(key.size() - 5, 5, "image") == 0;
        if (isImage && key != "sequencebkimage") out.insert(ImageFile(a.value()));
    }
    if (node.attribute("sequencebkimage")) {
        for (int i = 0; i < node.attribute("sequencecount").as_int(); ++i) {
            char frame[260];
            std::snprintf(frame, sizeof(frame), node.attribute("sequencebkimage").value(), i);
            out.insert(frame);
        }
    }
    for (pugi::xml_node child : node.children()) CollectImages(child, out);
}

// Archive look-ups ignore case and slash direction; so does this comparison.
std::string Normalised(std::string path)
{
    for (char& c : path) {
        if (c == '\\') c = '/';
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return path;
}

TEST_F(ShippedSkins, NameEveryPictureButTheLaterBackgroundsAndNoOthersButTheDisabledStates)
{
    const std::set<std::string> knownAbsent = {
        "res\\common\\minbtn4.png", "res\\common\\closebtn4.png", "res\\common\\closebtnM_4.png"};
    std::set<std::string> named;
    for (const std::wstring& file : SkinTests::InventoryXmlFiles()) {
        pugi::xml_document doc;
        ASSERT_TRUE(Load(file, doc));
        CollectImages(doc.document_element(), named);
    }
    std::set<std::string> absent;
    std::set<std::string> namedNormalised;
    for (const std::string& picture : named) {
        uint32_t index = 0;
        uint64_t size = 0;
        if (!FindEntry(GetCachedArchive(), Utils::ToWide(picture, 65001), index, size)) absent.insert(picture);
        else namedNormalised.insert(Normalised(picture));
    }
    EXPECT_EQ(knownAbsent, absent);

    // bg2 to bg4 are set by the main window per page, never by a skin
    std::set<std::string> expected;
    for (const auto& image : SkinTests::InventoryImages()) expected.insert(Normalised(Utils::ToNarrow(image.name, 65001)));
    for (const char* later : {"res/mainwnd/bg2.png", "res/mainwnd/bg3.png", "res/mainwnd/bg4.png"}) expected.erase(later);
    EXPECT_EQ(expected, namedNormalised);
}

}  // namespace
