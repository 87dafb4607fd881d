#include "LogCapture.h"

#include "app/DiagnosticLog.h"

namespace TestSupport {

std::mutex LogCapture::mutex_;
std::vector<std::wstring>* LogCapture::lines_ = nullptr;

LogCapture::LogCapture()
{
    std::lock_guard<std::mutex> lock(mutex_);
    lines_ = &own_;
    DiagnosticLog::SetSink(&LogCapture::Receive);
}

LogCapture::~LogCapture()
{
    DiagnosticLog::SetSink(nullptr);
    std::lock_guard<std::mutex> lock(mutex_);
    lines_ = nullptr;
}

void LogCapture::Receive(const wchar_t* line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (lines_) lines_->push_back(line);
}

std::vector<std::wstring> LogCapture::Lines() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return own_;
}

std::vector<std::wstring> LogCapture::Matching(const std::wstring& fragment) const
{
    std::vector<std::wstring> found;
    for (const auto& line : Lines())
        if (line.find(fragment) != std::wstring::npos) found.push_back(line);
    return found;
}

}  // namespace TestSupport
