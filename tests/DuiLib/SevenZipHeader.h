#pragma once
// The layout of a 7z archive read straight from its bytes, independently of
// the reader the toolkit uses: the format version, how the header is stored,
// the blocks ("folders") of the packed data with their coders, and the
// entries. An encoded header is unpacked with the SDK's plain LZMA decoder.

#include <cstdint>
#include <string>
#include <vector>

namespace SkinTests {

struct SevenZipCoder {
    std::string method;      // the codec id bytes (LZMA2: "\x21", LZMA: "\x03\x01\x01")
    std::string properties;  // the codec's property bytes
    uint64_t inStreams = 1;
    uint64_t outStreams = 1;
};

struct SevenZipFolder {
    std::vector<SevenZipCoder> coders;
    uint64_t bindPairs = 0;
    uint64_t packedStreams = 0;
    uint64_t unpackSize = 0;  // of the folder's final output
};

struct SevenZipHeader {
    int versionMajor = -1;
    int versionMinor = -1;
    bool encodedHeader = false;
    std::vector<SevenZipFolder> headerFolders;  // how the header itself is packed
    std::vector<SevenZipFolder> folders;        // the packed files
    uint64_t entries = 0;                        // files and directories
    uint64_t emptyStreams = 0;                   // entries without data (directories here)

    // Fills header from an archive's bytes; false with a reason when the
    // bytes do not hold a readable 7z header.
    static bool Read(const std::string& bytes, SevenZipHeader& header, std::string& error);
};

// The dictionary size an LZMA2 property byte stands for.
uint64_t Lzma2DictionarySize(unsigned char property);

}  // namespace SkinTests
