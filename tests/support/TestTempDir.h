#pragma once
// A fresh folder under the temporary path, removed with everything in it.

#include <string>

namespace TestSupport {

class TestTempDir {
public:
    TestTempDir();
    ~TestTempDir();
    TestTempDir(const TestTempDir&) = delete;
    TestTempDir& operator=(const TestTempDir&) = delete;

    // Ends in no backslash.
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Removes a folder tree; true when nothing is left.
bool RemoveTree(const std::wstring& path);

}  // namespace TestSupport
