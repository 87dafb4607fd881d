#pragma once
// What the download tests know of the server stand-ins started by
// tests/services/download-servers.sh: addresses, request logs, packages.

#include <string>
#include <vector>

namespace DownloadTest {

// http://127.0.0.1:<nginx>/<path>
std::wstring NginxUrl(const std::wstring& path);
// https://127.0.0.1:<nginx TLS>/<path>; "to-http/<path>" redirects to NginxUrl(<path>).
std::wstring NginxTlsUrl(const std::wstring& path);
// The TLS server's certificate (DER), as Wine's Z: drive shows it.
std::wstring TlsCertificatePath();
// A fault server address: /f/<fresh token>/<options>/<tail>; the token is
// returned through *token for RequestLog.
std::wstring FaultUrl(const std::wstring& options, const std::wstring& tail, std::string* token);
std::wstring ClosedPortUrl();
// The folder nginx serves, as Wine's Z: drive shows it; a test may put files
// there to have them served. Empty when the servers were not started.
std::wstring ServedRoot();

struct Request {
    std::string method;
    std::string path;
    std::string range;  // the Range header's value, empty when none was sent
};
std::vector<Request> RequestLog(const std::string& token);
std::vector<Request> RequestsOf(const std::vector<Request>& log, const std::string& method);
// Waits (up to 20 s) until the fault server has seen that many requests of
// the method for the token; false when it has not.
bool WaitForRequests(const std::string& token, const std::string& method, size_t count);

// The generated package of that size: its Windows path, digest and bytes.
std::wstring PackagePath(long long size);
std::string PackageMd5(long long size);
std::string PackageBytes(long long size);

// The fault server's packages are the same byte stream as the generated ones.
std::string FileMd5(const std::wstring& path);
// True when the file holds exactly the generated package of that size
// (compared byte for byte, no digest involved).
bool HoldsPackage(const std::wstring& path, long long size);

// A folder name the ANSI code page cannot spell (Chinese, Cyrillic and an
// emoji), so a path through it survives only in UTF-16.
std::wstring NonAnsiFolderName();

}  // namespace DownloadTest
