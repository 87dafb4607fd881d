#include "DownloadServers.h"

#include "download/CurlHandles.h"
#include "download/FileDigest.h"
#include "support/TestFiles.h"
#include "Utils/TextConvert.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <sstream>

namespace DownloadTest {

namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::wstring Port(const char* name)
{
    std::string port = Env(name);
    EXPECT_FALSE(port.empty()) << name << " is not set: run the tests through tools/run-tests.sh";
    return Utils::ToWide(port, CP_UTF8);
}

size_t Collect(char* data, size_t size, size_t count, void* text)
{
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

}  // namespace

static std::wstring HostPathOnWine(const std::string& path)
{
    if (path.empty()) return std::wstring();
    std::wstring folder = L"Z:" + Utils::ToWide(path, CP_UTF8);
    for (auto& c : folder)
        if (c == L'/') c = L'\\';
    return folder;
}

std::wstring ServedRoot() { return HostPathOnWine(Env("LUMORA_DL_PACKAGES")); }

std::wstring TlsCertificatePath() { return HostPathOnWine(Env("LUMORA_TLS_CERT")); }

namespace {

std::wstring PackagesFolder() { return ServedRoot() + L"\\plain"; }

}  // namespace

std::wstring NginxUrl(const std::wstring& path)
{
    return L"http://127.0.0.1:" + Port("LUMORA_NGINX_PORT") + L"/" + path;
}

std::wstring NginxTlsUrl(const std::wstring& path)
{
    return L"https://127.0.0.1:" + Port("LUMORA_NGINX_TLS_PORT") + L"/" + path;
}

std::wstring FaultUrl(const std::wstring& options, const std::wstring& tail, std::string* token)
{
    static std::atomic<int> counter{0};
    std::string fresh = "p" + std::to_string(::GetCurrentProcessId()) + "n" + std::to_string(++counter);
    if (token) *token = fresh;
    return L"http://127.0.0.1:" + Port("LUMORA_FAULT_PORT") + L"/f/" + Utils::ToWide(fresh, CP_UTF8) + L"/" +
           (options.empty() ? L"-" : options) + L"/" + tail;
}

std::wstring ClosedPortUrl() { return L"http://127.0.0.1:" + Port("LUMORA_CLOSED_PORT") + L"/software/511"; }

std::vector<Request> RequestLog(const std::string& token)
{
    std::string url = "http://127.0.0.1:" + Env("LUMORA_FAULT_PORT") + "/log/" + token;
    std::string body;
    Utils::UniqueCurl handle(::curl_easy_init());
    ::curl_easy_setopt(handle.Get(), CURLOPT_URL, url.c_str());
    ::curl_easy_setopt(handle.Get(), CURLOPT_WRITEFUNCTION, &Collect);
    ::curl_easy_setopt(handle.Get(), CURLOPT_WRITEDATA, &body);
    EXPECT_EQ(CURLE_OK, ::curl_easy_perform(handle.Get()));
    std::vector<Request> log;
    std::istringstream lines(body);
    std::string line;
    while (std::getline(lines, line)) {
        Request request;
        size_t first = line.find('\t');
        size_t second = line.find('\t', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        request.method = line.substr(0, first);
        request.path = line.substr(first + 1, second - first - 1);
        request.range = line.substr(second + 1);
        log.push_back(request);
    }
    return log;
}

std::vector<Request> RequestsOf(const std::vector<Request>& log, const std::string& method)
{
    std::vector<Request> found;
    for (const auto& request : log)
        if (request.method == method) found.push_back(request);
    return found;
}

bool WaitForRequests(const std::string& token, const std::string& method, size_t count)
{
    for (int i = 0; i < 200; ++i) {
        if (RequestsOf(RequestLog(token), method).size() >= count) return true;
        ::Sleep(100);
    }
    return false;
}

std::wstring PackagePath(long long size) { return PackagesFolder() + L"\\pkg-" + std::to_wstring(size) + L".bin"; }

std::string PackageMd5(long long size)
{
    std::string text = TestSupport::ReadBytes(PackagesFolder() + L"\\pkg-" + std::to_wstring(size) + L".md5");
    return text.substr(0, 32);
}

std::string PackageBytes(long long size) { return TestSupport::ReadBytes(PackagePath(size)); }

std::string FileMd5(const std::wstring& path) { return Utils::GetFileMd5(path); }

bool HoldsPackage(const std::wstring& path, long long size)
{
    if (!TestSupport::FileExists(path)) return false;
    return TestSupport::ReadBytes(path) == PackageBytes(size);
}

std::wstring NonAnsiFolderName()
{
    std::wstring name = L"\u5B89\u88C5 \u041F\u0430\u043F\u043A\u0430 \U0001F4E6";
    // The point of the name: the ANSI code page cannot carry it.
    EXPECT_NE(name, Utils::ToWide(Utils::ToNarrow(name, CP_ACP), CP_ACP)) << "code page " << ::GetACP();
    return name;
}

}  // namespace DownloadTest
