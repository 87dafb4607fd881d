#pragma once
// The switches of one command line: "-key=value" tokens become (key, value),
// every other token (the program path included) a key with an empty value.
// Keys compare exactly; the first occurrence of a key wins.

#include <map>
#include <string>

class CommandLineSwitches {
public:
    static CommandLineSwitches FromCommandLine(const std::wstring& commandLine);

    void Insert(const std::wstring& key, const std::wstring& value);  // keeps an earlier entry
    bool Has(const std::wstring& key) const;
    std::wstring String(const std::wstring& key) const;
    const std::map<std::wstring, std::wstring>& Entries() const { return entries_; }

private:
    std::map<std::wstring, std::wstring> entries_;
};

// Value conversions shared by switches and the config file.
namespace SettingText {
// Leading white space, optional sign, decimal digits, trailing text ignored.
// No number, or one outside the 32-bit range, gives nothing.
bool ToInt(const std::wstring& text, int& value);
int ToIntOrZero(const std::wstring& text);
// Only the exact text "true" is true.
bool ToBool(const std::wstring& text);
// Leading white space, then the longest decimal prefix (fraction and exponent
// allowed). No prefix, or one that does not fit a finite double, gives nothing.
bool ToDouble(const std::wstring& text, double& value);
double ToDoubleOrZero(const std::wstring& text);
}  // namespace SettingText
