#include "FakeScript.h"

#include "Utils/TextConvert.h"
#include "support/TestFiles.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>
#include <vector>

namespace FakeScript {

std::wstring OwnPath()
{
    std::vector<wchar_t> buffer(32768);
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), n);
}

namespace {

void WriteAll(HANDLE stream, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!::WriteFile(stream, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr))
            return;
        done += written;
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

const wchar_t* kProductFiles[] = {L"lumora.exe", L"uninst.ep", L"config.ini"};

void InstallProduct(const std::wstring& commandLine, const std::wstring& binDir)
{
    std::wstring dir = ValueAfter(commandLine, L" /D=");
    if (dir.empty()) return;
    ::CreateDirectoryW(dir.c_str(), nullptr);
    ::CopyFileW((binDir + L"\\fake_product.exe").c_str(), (dir + L"\\lumora.exe").c_str(), FALSE);
    ::CopyFileW((binDir + L"\\fake_uninstaller.exe").c_str(), (dir + L"\\uninst.ep").c_str(), FALSE);
    TestSupport::WriteBytes(dir + L"\\config.ini", "[Setting]\r\nLanguage=zh-CN\r\n");
}

void UninstallProduct(const std::wstring& commandLine)
{
    std::wstring dir = ValueAfter(commandLine, L" _?=");
    if (dir.empty()) return;
    for (const wchar_t* name : kProductFiles) ::DeleteFileW((dir + L"\\" + name).c_str());
}

// The new process inherits the standard handles, as a package's helper
// program that nobody told to close them would.
void Spawn(const std::wstring& commandLine)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) return;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
}

// The argument of a directive: everything after the first space.
std::string Argument(const std::string& line)
{
    size_t space = line.find(' ');
    return space == std::string::npos ? std::string() : line.substr(space + 1);
}

// "@INSTDIR@" in written text stands for the folder after "/D=" (UTF-8), so
// one script serves any folder the installer picks.
std::string WithInstallFolder(std::string text, const std::wstring& commandLine)
{
    const std::string marker = "@INSTDIR@";
    std::string folder = Utils::ToNarrow(ValueAfter(commandLine, L" /D="), CP_UTF8);
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + folder.size())) {
        text.replace(at, marker.size(), folder);
    }
    return text;
}

// "<own path>.script", or, when there is none, the file the environment
// variable LUMORA_FAKE_SCRIPT names (a demo or a window test that cannot know
// the folder the package lands in).
std::string ScriptText(const std::wstring& self)
{
    std::wstring own = self + L".script";
    if (::GetFileAttributesW(own.c_str()) != INVALID_FILE_ATTRIBUTES) return TestSupport::ReadBytes(own);
    wchar_t named[MAX_PATH] = {};
    DWORD length = ::GetEnvironmentVariableW(L"LUMORA_FAKE_SCRIPT", named, MAX_PATH);
    return length > 0 && length < MAX_PATH ? TestSupport::ReadBytes(named) : std::string();
}

// One directive; false ends the script with exitCode.
bool RunDirective(const std::string& line, const std::wstring& commandLine, int& exitCode)
{
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    std::string verb = line.substr(0, line.find(' '));
    std::string arg = Argument(line);
    if (verb == "out") {
        WriteAll(out, WithInstallFolder(Unescape(arg), commandLine));
        ::FlushFileBuffers(out);  // returns once the reader has taken everything
    } else if (verb == "put") {
        WriteAll(out, WithInstallFolder(Unescape(arg), commandLine));
    } else if (verb == "flood") {
        long count = std::strtol(arg.c_str(), nullptr, 10);
        std::string text = WithInstallFolder(Unescape(Argument(arg)), commandLine);
        for (long i = 0; i < count; ++i) WriteAll(out, text);
    } else if (verb == "err") {
        long count = std::strtol(arg.c_str(), nullptr, 10);
        std::string block(4096, 'E');
        for (long done = 0; done < count; done += static_cast<long>(block.size()))
            WriteAll(::GetStdHandle(STD_ERROR_HANDLE), block.substr(0, static_cast<size_t>(count - done)));
    } else if (verb == "closeout") {
        ::CloseHandle(out);
        ::SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    } else if (verb == "spawn") {
        Spawn(Utils::ToWide(arg, CP_UTF8));
    } else if (verb == "crash") {
        ::TerminateProcess(::GetCurrentProcess(), 0xC0000005);
    } else if (verb == "sleep") {
        ::Sleep(static_cast<DWORD>(std::strtoul(arg.c_str(), nullptr, 10)));
    } else if (verb == "install") {
        InstallProduct(commandLine, Utils::ToWide(arg, CP_UTF8));
    } else if (verb == "uninstall") {
        UninstallProduct(commandLine);
    } else if (verb == "selfcopy") {
        std::wstring self = OwnPath();
        ::CopyFileW(self.c_str(), (self + L".copy").c_str(), FALSE);
    } else if (verb == "exit") {
        exitCode = static_cast<int>(std::strtol(arg.c_str(), nullptr, 10));
        return false;
    }
    return true;
}

}  // namespace

std::string Unescape(const std::string& text)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            bytes += c;
            continue;
        }
        char e = text[++i];
        if (e == 'r') bytes += '\r';
        else if (e == 'n') bytes += '\n';
        else if (e == 't') bytes += '\t';
        else if (e == '0') bytes += '\0';
        else if (e == 'x' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            bytes += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else bytes += e;
    }
    return bytes;
}

std::wstring ValueAfter(const std::wstring& commandLine, const std::wstring& marker)
{
    size_t at = commandLine.rfind(marker);
    return at == std::wstring::npos ? std::wstring() : commandLine.substr(at + marker.size());
}

int RunOwnScript()
{
    std::wstring self = OwnPath();
    std::wstring commandLine = ::GetCommandLineW();
    TestSupport::WriteBytes(self + L".cmdline", Utils::ToNarrow(commandLine, CP_UTF8));
    TestSupport::WriteBytes(self + L".pid", std::to_string(::GetCurrentProcessId()));

    std::istringstream script(ScriptText(self));
    std::string line;
    int exitCode = 0;
    while (std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!RunDirective(line, commandLine, exitCode)) break;
    }
    return exitCode;
}

}  // namespace FakeScript
