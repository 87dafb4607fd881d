#include "FakeExecutable.h"

#include "Utils/TextConvert.h"
#include "Utils/UniqueResource.h"
#include "support/TestFiles.h"

#include <cstdlib>

namespace InstallTest {

FakeExecutable::FakeExecutable(const std::wstring& program, const std::wstring& path) : path_(path)
{
    std::wstring source = TestSupport::BinDir() + L"\\" + program + L".exe";
    placed_ = ::CopyFileW(source.c_str(), path.c_str(), FALSE) != FALSE;
}

FakeExecutable FakeExecutable::At(const std::wstring& path)
{
    FakeExecutable existing(path);
    existing.placed_ = TestSupport::FileExists(path);
    ::DeleteFileW((path + L".cmdline").c_str());
    ::DeleteFileW((path + L".pid").c_str());
    return existing;
}

void FakeExecutable::Script(const std::string& lines) const { TestSupport::WriteBytes(path_ + L".script", lines); }

std::wstring FakeExecutable::RecordedCommandLine() const
{
    return Utils::ToWide(TestSupport::ReadBytes(path_ + L".cmdline"), 65001);
}

DWORD FakeExecutable::RecordedProcessId() const
{
    return std::strtoul(TestSupport::ReadBytes(path_ + L".pid").c_str(), nullptr, 10);
}

bool FakeExecutable::Ran() const { return TestSupport::FileExists(path_ + L".cmdline"); }

bool ProcessRuns(DWORD processId)
{
    Utils::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    return processId != 0 && process && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

bool WaitForProcessEnd(DWORD processId, unsigned long timeoutMs)
{
    Utils::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return true;
    return ::WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace InstallTest
