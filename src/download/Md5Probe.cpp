// md5probe FILE: prints the file's digest as the downloaders compute it
// (the benchmark times it against the host's md5sum).
#include "download/FileDigest.h"

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: md5probe FILE\n");
        return 2;
    }
    std::string digest = Utils::GetFileMd5(std::wstring(argv[1]));
    std::printf("%s\n", digest.c_str());
    return digest.empty() ? 1 : 0;
}
