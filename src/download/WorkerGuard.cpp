#include "WorkerGuard.h"

#include "app/DiagnosticLog.h"
#include "Utils/TextConvert.h"

#include <windows.h>

#include <exception>

namespace Utils {

void LogEscapedException(const wchar_t* boundary) noexcept
{
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            LogLine(L"%s: exception escaped: %s", boundary, ToWide(e.what(), CP_ACP).c_str());
        } catch (...) {
            LogLine(L"%s: unknown exception escaped", boundary);
        }
    } catch (...) {
        // Logging itself failed (no memory): nothing more can be said.
    }
}

}  // namespace Utils
