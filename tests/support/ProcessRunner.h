#pragma once
// Runs a real child program, collects its standard output and waits for it,
// for tests that need a second process.

#include <string>

namespace TestSupport {

struct ProcessResult {
    bool started = false;
    bool timedOut = false;
    unsigned long exitCode = 0;
    std::string output;  // standard output, as the child wrote it
};

ProcessResult RunProcess(const std::wstring& commandLine, unsigned long timeoutMs = 60000);

}  // namespace TestSupport
