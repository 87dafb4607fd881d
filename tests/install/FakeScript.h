#pragma once
// The scripted behaviour shared by the stand-ins for the vendor's package and
// uninstaller. A stand-in records its command line in "<own path>.cmdline"
// (UTF-8) and its process id in "<own path>.pid", then runs "<own path>.script"
// (or, when there is none, the file named by the environment variable
// LUMORA_FAKE_SCRIPT), one directive per line:
//   out TEXT         one write of TEXT to standard output, then waits until
//                    the reader has taken it (so each "out" is one chunk)
//   put TEXT         one write of TEXT without waiting
//   flood N TEXT     N writes of TEXT to standard output without waiting
//   err N            N bytes to standard error
//   closeout         closes standard output (the process goes on)
//   spawn CMDLINE    starts CMDLINE (UTF-8, as written) with this program's
//                    three standard handles, and does not wait for it
//   crash            ends the process at once as an access violation would
//                    (exit code 0xC0000005), whatever it was writing
//   sleep MS
//   install BINDIR   the product files into the folder after "/D=": lumora.exe
//                    and uninst.ep (copies of BINDIR's fake_product.exe and
//                    fake_uninstaller.exe) and config.ini
//   uninstall        removes those files from the folder after "_?="
//   exit CODE
//   selfcopy         copies the running executable to "<own path>.copy", so a
//                    test can compare what ran with what it served
// TEXT takes the escapes \r \n \t \0 \\ and \xHH; other bytes pass as they are.
// "@INSTDIR@" in the TEXT of out, put and flood is the folder after "/D=".

#include <string>

namespace FakeScript {

// The path of the running executable.
std::wstring OwnPath();
// Bytes of a TEXT argument with its escapes resolved.
std::string Unescape(const std::string& text);
// What follows the last occurrence of marker in the command line; empty when absent.
std::wstring ValueAfter(const std::wstring& commandLine, const std::wstring& marker);
// Records the command line and pid beside the executable and runs its script;
// returns the exit code.
int RunOwnScript();

}  // namespace FakeScript
