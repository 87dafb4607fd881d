#include "Utils/UniqueResource.h"
#include "install/InstallRecords.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using TestSupport::TestTempDir;

struct RawValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

Utils::UniqueRegKey OpenRecordsKey()
{
    Utils::UniqueRegKey key;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, kInstallRecordsKey, 0, KEY_READ, key.Put());
    return key;
}

Utils::UniqueRegKey CreateRecordsKey()
{
    Utils::UniqueRegKey key;
    EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kInstallRecordsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                key.Put(), nullptr),
              ERROR_SUCCESS);
    return key;
}

RawValue ReadRaw(const std::wstring& name)
{
    RawValue value;
    const Utils::UniqueRegKey key = OpenRecordsKey();
    if (!key) return value;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &value.type, nullptr, &bytes) == ERROR_SUCCESS) {
        value.data.resize(bytes);
        value.present = ::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &value.type,
                                           bytes ? value.data.data() : nullptr, &bytes) == ERROR_SUCCESS;
    }
    return value;
}

std::vector<BYTE> WideBytes(const std::wstring& text, bool withNul)
{
    const BYTE* begin = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(begin, begin + (text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t));
}

// Every value of the records key as it was before the case, put back after it.
class RecordsRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        const Utils::UniqueRegKey key = OpenRecordsKey();
        keyExisted_ = static_cast<bool>(key);
        if (!key) return;
        for (DWORD index = 0;; ++index) {
            wchar_t name[16384];
            DWORD nameChars = 16384;
            if (::RegEnumValueW(key.Get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            saved_.push_back({name, ReadRaw(name)});
        }
    }

    void TearDown() override
    {
        DeleteKey();
        if (!keyExisted_) return;
        const Utils::UniqueRegKey key = CreateRecordsKey();
        for (const auto& entry : saved_)
            ::RegSetValueExW(key.Get(), entry.first.c_str(), 0, entry.second.type, entry.second.data.data(),
                             static_cast<DWORD>(entry.second.data.size()));
    }

    static void DeleteKey()
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kInstallRecordsKey);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kInstallRecordsKey);
    }

    static void SetRaw(const std::wstring& name, DWORD type, const std::vector<BYTE>& data)
    {
        const Utils::UniqueRegKey key = CreateRecordsKey();
        EXPECT_EQ(::RegSetValueExW(key.Get(), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                                   static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    static void SetText(const std::wstring& name, const std::wstring& text)
    {
        SetRaw(name, REG_SZ, WideBytes(text, true));
    }
    static std::wstring TextOf(const std::wstring& name)
    {
        const RawValue raw = ReadRaw(name);
        if (!raw.present) return L"<absent>";
        std::wstring text(raw.data.size() / sizeof(wchar_t), L'\0');
        if (!text.empty()) std::memcpy(&text[0], raw.data.data(), text.size() * sizeof(wchar_t));
        if (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }

private:
    bool keyExisted_ = false;
    std::vector<std::pair<std::wstring, RawValue>> saved_;
};

TEST_F(RecordsRegistry, MissingKeyOrValueLeavesTheTextUnchanged)
{
    DeleteKey();
    std::wstring text = L"keep";
    EXPECT_FALSE(ReadRegistryString(L"InstallPath", text));
    EXPECT_EQ(text, L"keep");

    SetText(L"Other", L"x");
    EXPECT_FALSE(ReadRegistryString(L"InstallPath", text));
    EXPECT_EQ(text, L"keep");
}

TEST_F(RecordsRegistry, WriteCreatesTheKeyAndStoresTerminatedRegSz)
{
    DeleteKey();
    const std::wstring folder = L"C:\\Program Files (x86)\\诺沃 Lumora";
    ASSERT_TRUE(WriteRegistryString(L"InstallPath", folder));
    const RawValue raw = ReadRaw(L"InstallPath");
    ASSERT_TRUE(raw.present);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.data, WideBytes(folder, true)) << "the terminating NUL is part of the value";

    std::wstring read;
    ASSERT_TRUE(ReadRegistryString(L"InstallPath", read));
    EXPECT_EQ(read, folder);

    ASSERT_TRUE(WriteRegistryString(L"InstallPath", L""));
    ASSERT_TRUE(ReadRegistryString(L"InstallPath", read));
    EXPECT_EQ(read, L"");
}

TEST_F(RecordsRegistry, ReadTakesTheTextUpToTheFirstNulWhateverTheType)
{
    struct Row {
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
        std::wstring expected;
    };
    const std::vector<Row> rows = {
        {"terminated REG_SZ", REG_SZ, WideBytes(L"D:\\P\\Lumora", true), L"D:\\P\\Lumora"},
        {"REG_SZ without its NUL", REG_SZ, WideBytes(L"D:\\P", false), L"D:\\P"},
        {"expandable text is not expanded", REG_EXPAND_SZ, WideBytes(L"%APPDATA%\\x", true), L"%APPDATA%\\x"},
        {"binary text without NUL", REG_BINARY, WideBytes(L"abc", false), L"abc"},
        {"embedded NUL ends the text", REG_SZ, WideBytes(std::wstring(L"abc\0def", 7), true), L"abc"},
        {"odd byte count", REG_BINARY, {'a', 0, 'b'}, L"ab"},
        {"empty value", REG_SZ, {}, L""},
    };
    for (const Row& row : rows) {
        SetRaw(L"UnInstallEp", row.type, row.data);
        std::wstring text = L"before";
        EXPECT_TRUE(ReadRegistryString(L"UnInstallEp", text)) << row.name;
        EXPECT_EQ(text, row.expected) << row.name;
    }
}

TEST_F(RecordsRegistry, ReadInstallRecordsAppliesTheUninstallerFallback)
{
    struct Row {
        const char* name;
        const wchar_t* installPath;  // null: value absent
        const wchar_t* uninstaller;
        std::wstring expectedPath;
        std::wstring expectedUninstaller;
    };
    const Row rows[] = {
        {"nothing registered", nullptr, nullptr, L"", L""},
        {"folder only", L"D:\\P\\Lumora", nullptr, L"D:\\P\\Lumora", L"D:\\P\\Lumora\\uninst.ep"},
        {"folder and empty uninstaller", L"D:\\P\\Lumora", L"", L"D:\\P\\Lumora", L"D:\\P\\Lumora\\uninst.ep"},
        {"folder with trailing backslash", L"D:\\P\\Lumora\\", nullptr, L"D:\\P\\Lumora\\",
         L"D:\\P\\Lumora\\uninst.ep"},
        {"both registered", L"D:\\P\\Lumora", L"E:\\u\\unins.exe", L"D:\\P\\Lumora", L"E:\\u\\unins.exe"},
        {"uninstaller only", nullptr, L"E:\\u\\unins.exe", L"", L"E:\\u\\unins.exe"},
        {"empty folder", L"", nullptr, L"", L""},
    };
    for (const Row& row : rows) {
        DeleteKey();
        if (row.installPath) SetText(L"InstallPath", row.installPath);
        if (row.uninstaller) SetText(L"UnInstallEp", row.uninstaller);
        const RegisteredInstall registered = ReadInstallRecords();
        EXPECT_EQ(registered.installPath, row.expectedPath) << row.name;
        EXPECT_EQ(registered.uninstallerPath, row.expectedUninstaller) << row.name;
    }
}

class RecordsWrite : public RecordsRegistry {
protected:
    TestTempDir temp;
    std::wstring folder = temp / L"Lumora 安装";
    std::wstring reported = temp / L"Lumora 安装\\bin\\unins000.exe";

    void SetUp() override
    {
        RecordsRegistry::SetUp();
        DeleteKey();
        SetText(L"InstallPath", L"D:\\Old\\Lumora");
        SetText(L"UnInstallEp", L"D:\\Old\\Lumora\\uninst.ep");
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((folder + L"\\bin").c_str(), nullptr));
    }
};

TEST_F(RecordsWrite, ReportedEntryPointThatExists)
{
    ASSERT_TRUE(TestSupport::WriteBytes(reported, "MZ"));
    WriteInstallRecords(folder, reported);
    EXPECT_EQ(TextOf(L"InstallPath"), folder);
    EXPECT_EQ(TextOf(L"UnInstallEp"), reported);
    EXPECT_EQ(ReadRaw(L"InstallPath").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadRaw(L"UnInstallEp").type, static_cast<DWORD>(REG_SZ));
}

TEST_F(RecordsWrite, ReportedEntryPointThatIsMissingWritesOnlyTheFolder)
{
    WriteInstallRecords(folder, reported);
    EXPECT_EQ(TextOf(L"InstallPath"), folder);
    EXPECT_EQ(TextOf(L"UnInstallEp"), L"D:\\Old\\Lumora\\uninst.ep");
}

TEST_F(RecordsWrite, NoReportButUninstEpInTheFolder)
{
    ASSERT_TRUE(TestSupport::WriteBytes(folder + L"\\uninst.ep", "MZ"));
    WriteInstallRecords(folder, L"");
    EXPECT_EQ(TextOf(L"InstallPath"), folder);
    EXPECT_EQ(TextOf(L"UnInstallEp"), folder + L"\\uninst.ep");
}

TEST_F(RecordsWrite, NoReportAndNoUninstEpWritesOnlyTheFolder)
{
    WriteInstallRecords(folder, L"");
    EXPECT_EQ(TextOf(L"InstallPath"), folder);
    EXPECT_EQ(TextOf(L"UnInstallEp"), L"D:\\Old\\Lumora\\uninst.ep");

    DeleteKey();
    WriteInstallRecords(folder, L"");
    EXPECT_EQ(TextOf(L"InstallPath"), folder);
    EXPECT_EQ(TextOf(L"UnInstallEp"), L"<absent>");
}

TEST_F(RecordsWrite, LineEndsLeftOnTheReportsAreNotRecorded)
{
    ASSERT_TRUE(TestSupport::WriteBytes(reported, "MZ"));
    WriteInstallRecords(folder + L"\r", reported + L"\r\n");
    EXPECT_EQ(TextOf(L"InstallPath"), folder);
    EXPECT_EQ(TextOf(L"UnInstallEp"), reported);
}

TEST_F(RecordsWrite, EmptyFolderKeepsTheRegistration)
{
    ASSERT_TRUE(TestSupport::WriteBytes(reported, "MZ"));
    WriteInstallRecords(L"", reported);
    WriteInstallRecords(L"\r", L"");
    EXPECT_EQ(TextOf(L"InstallPath"), L"D:\\Old\\Lumora");
    EXPECT_EQ(TextOf(L"UnInstallEp"), L"D:\\Old\\Lumora\\uninst.ep");
}

TEST_F(RecordsWrite, WhatIsWrittenIsReadBackAtTheNextStart)
{
    ASSERT_TRUE(TestSupport::WriteBytes(folder + L"\\uninst.ep", "MZ"));
    WriteInstallRecords(folder, L"");
    const RegisteredInstall registered = ReadInstallRecords();
    EXPECT_EQ(registered.installPath, folder);
    EXPECT_EQ(registered.uninstallerPath, folder + L"\\uninst.ep");
}

}  // namespace
