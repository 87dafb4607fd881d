#pragma once
// The interface languages: the fixed list of language codes, the default
// language for the user's Windows UI language, the translation file
// "language.json" of the skin archive registered into the toolkit's string
// table (which control texts reference as %{N}), the product's own language
// setting left by an earlier installation, and the language code handed to
// the package. The current language index itself is kept by the main window.
//
// UI thread only.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace DuiLib {
class PaintManager;
}

constexpr int kLanguageCount = 14;
// A "language.json" larger than this is not read.
constexpr std::size_t kMaxLanguageFileBytes = 4u * 1024u * 1024u;
// The string table id of the low-disk-space message.
constexpr int kLowDiskSpaceStringId = 104;

// The list in its two spellings: narrow for the translation file's member
// names, wide for the package's language switch. Index 0 "en-US" ... 13
// "it-IT"; built on first use and kept until exit.
const std::vector<std::string>& LanguageCodesNarrow();
const std::vector<std::wstring>& LanguageCodesWide();
bool IsLanguageIndex(int index);

// The list index for a Windows UI language id; 0 for any id not in the table
// (Simplified Chinese, 2052, included).
int DefaultLanguageIndexFor(unsigned uiLanguageId);
// The same for this user's UI language.
int DefaultLanguageIndex();

// The language a load uses: the first list entry whose code equals code
// exactly (after conversion to the ANSI code page), else index. An index
// outside the list gives 0, whether or not a code was given.
int ResolveLanguageIndex(int index, const std::wstring& code);

// Registers under each entry's "id" the entry's member named languageCode,
// from UTF-8 JSON text whose root is an array of entries (or an object whose
// member values are the entries). A missing "id" is 0; a missing member, or
// one that is not valid UTF-8 text, registers "". Entries that are not
// objects, or whose "id" is not an integer, are skipped. False, with nothing
// registered, when the text does not parse.
bool RegisterLanguageStrings(const std::string& json, const std::string& languageCode);

// Registers one language's strings from "language.json" in the cached skin
// archive. Returns the resolved index (see ResolveLanguageIndex), also when
// the file does not parse; 0 when there is no such file or it is empty or
// larger than kMaxLanguageFileBytes.
int LoadLanguage(int index, const std::wstring& code);

// The product's language setting in folder's "config.ini" (section
// "Install", key "Language"): "en-US" when the key is missing, "" when the
// file does not exist.
std::wstring ProductLanguageCode(const std::wstring& folder);
// LoadLanguage(0, ProductLanguageCode(folder)), then a new layout of the
// window's controls. Returns what LoadLanguage returned.
int LoadLanguageFromConfig(DuiLib::PaintManager& window, const std::wstring& folder);

// LoadLanguage(index, ""), a new layout, and "lbLanguage", "lbInstallPath"
// and "backBtn" made exactly as wide as their texts (in their fonts and
// text styles) plus their left text padding. Returns the loaded index, for
// the caller to keep as the current language.
int ApplyLanguage(DuiLib::PaintManager& window, int index);

// The code of the item chosen in the window's language selector (the combo
// box "languageCombo"); "" without a selector or for an item beyond the list.
std::wstring PackageLanguageCode(const DuiLib::PaintManager& window);

// The string registered under id, if any.
std::optional<std::wstring> LanguageString(int id);

// The message of the prompt about too little free space for the install:
// string 104 when a translation registered a non-empty one, else the
// installer's own Chinese text.
std::wstring LowDiskSpaceText();
extern const wchar_t kLowDiskSpaceDefaultText[];
