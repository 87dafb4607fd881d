#include "LingeringChild.h"

#include "Utils/TextConvert.h"
#include "support/TestFiles.h"

namespace InstallTest {

LingeringChild::LingeringChild(const std::wstring& path) : program_(L"fake_product", path) {}

LingeringChild::~LingeringChild() { Stop(); }

std::string LingeringChild::SpawnDirective() const
{
    return "spawn \"" + Utils::ToNarrow(program_.Path(), CP_UTF8) + "\" -lifetime=60000";
}

namespace {
// The package goes on while the helper starts; its process id is written once
// it runs.
DWORD WaitForProcessId(const FakeExecutable& program)
{
    for (int i = 0; i < 200 && program.RecordedProcessId() == 0; ++i) ::Sleep(50);
    return program.RecordedProcessId();
}
}  // namespace

bool LingeringChild::Running() const { return ProcessRuns(WaitForProcessId(program_)); }

void LingeringChild::Stop()
{
    // Written first, so a helper that is only starting ends at once as well.
    TestSupport::WriteBytes(program_.Path() + L".stop", "");
    if (program_.Ran()) WaitForProcessEnd(WaitForProcessId(program_), 10000);
}

}  // namespace InstallTest
