#pragma once
// Collects the diagnostic log lines written while it lives (any thread).

#include <mutex>
#include <string>
#include <vector>

namespace TestSupport {

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::wstring> Lines() const;
    // Lines whose text (after the prefix) contains the fragment.
    std::vector<std::wstring> Matching(const std::wstring& fragment) const;

private:
    static void Receive(const wchar_t* line);
    static std::mutex mutex_;
    static std::vector<std::wstring>* lines_;
    std::vector<std::wstring> own_;
};

}  // namespace TestSupport
