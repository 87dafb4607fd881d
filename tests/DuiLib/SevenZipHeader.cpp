#include "SevenZipHeader.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern "C" {
#include "LzmaDec.h"
}

namespace SkinTests {

namespace {

// Property ids of the 7z header.
enum : uint8_t {
    kEnd = 0x00,
    kHeader = 0x01,
    kMainStreamsInfo = 0x04,
    kFilesInfo = 0x05,
    kPackInfo = 0x06,
    kUnpackInfo = 0x07,
    kSubStreamsInfo = 0x08,
    kSize = 0x09,
    kCrc = 0x0A,
    kFolder = 0x0B,
    kCodersUnpackSize = 0x0C,
    kNumUnpackStream = 0x0D,
    kEmptyStream = 0x0E,
    kEncodedHeader = 0x17,
};

const size_t kSignatureHeaderSize = 32;

// Reads the header's items; any read beyond the end throws.
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte()
    {
        if (pos_ >= size_) throw std::runtime_error("header ends early");
        return data_[pos_++];
    }

    std::string Bytes(uint64_t count)
    {
        if (count > size_ - pos_) throw std::runtime_error("header ends early");
        std::string out(reinterpret_cast<const char*>(data_ + pos_), static_cast<size_t>(count));
        pos_ += static_cast<size_t>(count);
        return out;
    }

    // The format's variable-length number: the leading one bits of the first
    // byte count the little-endian bytes that follow.
    uint64_t Number()
    {
        uint8_t first = Byte();
        uint8_t mask = 0x80;
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i) {
            if ((first & mask) == 0) return value | (static_cast<uint64_t>(first & (mask - 1)) << (8 * i));
            value |= static_cast<uint64_t>(Byte()) << (8 * i);
            mask >>= 1;
        }
        return value;
    }

    void Expect(uint8_t id)
    {
        if (Byte() != id) throw std::runtime_error("unexpected property " + std::to_string(data_[pos_ - 1]));
    }

    // A bit field of count bits, most significant bit first; how many are set.
    uint64_t SetBits(uint64_t count)
    {
        uint64_t set = 0;
        std::string bits = Bytes((count + 7) / 8);
        for (uint64_t i = 0; i < count; ++i) set += (static_cast<uint8_t>(bits[i / 8]) >> (7 - i % 8)) & 1;
        return set;
    }

    // Digests of count items: defined ones carry a 4-byte CRC.
    uint64_t Digests(uint64_t count)
    {
        uint64_t defined = Byte() != 0 ? count : SetBits(count);
        Bytes(4 * defined);
        return defined;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

SevenZipFolder ReadFolder(Cursor& in, uint64_t& outStreams)
{
    SevenZipFolder folder;
    uint64_t coders = in.Number();
    uint64_t inStreams = 0;
    outStreams = 0;
    for (uint64_t i = 0; i < coders; ++i) {
        uint8_t flags = in.Byte();
        if (flags & 0x80) throw std::runtime_error("alternative methods");
        SevenZipCoder coder;
        coder.method = in.Bytes(flags & 0x0F);
        if (flags & 0x10) {
            coder.inStreams = in.Number();
            coder.outStreams = in.Number();
        }
        if (flags & 0x20) coder.properties = in.Bytes(in.Number());
        inStreams += coder.inStreams;
        outStreams += coder.outStreams;
        folder.coders.push_back(coder);
    }
    folder.bindPairs = outStreams - 1;
    for (uint64_t i = 0; i < folder.bindPairs; ++i) {
        in.Number();
        in.Number();
    }
    folder.packedStreams = inStreams - folder.bindPairs;
    if (folder.packedStreams > 1) {
        for (uint64_t i = 0; i < folder.packedStreams; ++i) in.Number();
    }
    return folder;
}

struct Streams {
    uint64_t packPos = 0;
    std::vector<uint64_t> packSizes;
    std::vector<SevenZipFolder> folders;
    std::vector<bool> folderCrc;
};

void ReadPackInfo(Cursor& in, Streams& streams)
{
    streams.packPos = in.Number();
    uint64_t count = in.Number();
    for (uint8_t id = in.Byte(); id != kEnd; id = in.Byte()) {
        if (id == kSize) {
            for (uint64_t i = 0; i < count; ++i) streams.packSizes.push_back(in.Number());
        } else if (id == kCrc) {
            in.Digests(count);
        } else {
            throw std::runtime_error("unknown pack property");
        }
    }
}

void ReadUnpackInfo(Cursor& in, Streams& streams)
{
    in.Expect(kFolder);
    uint64_t count = in.Number();
    if (in.Byte() != 0) throw std::runtime_error("external folders");
    std::vector<uint64_t> outStreams(count);
    for (uint64_t i = 0; i < count; ++i) streams.folders.push_back(ReadFolder(in, outStreams[i]));
    in.Expect(kCodersUnpackSize);
    for (uint64_t i = 0; i < count; ++i) {
        // One size per coder output; with a single coder that is the folder's output.
        for (uint64_t j = 0; j < outStreams[i]; ++j) streams.folders[i].unpackSize = in.Number();
    }
    streams.folderCrc.assign(count, false);
    for (uint8_t id = in.Byte(); id != kEnd; id = in.Byte()) {
        if (id != kCrc) throw std::runtime_error("unknown unpack property");
        in.Digests(count);
        streams.folderCrc.assign(count, true);
    }
}

void ReadSubStreamsInfo(Cursor& in, const Streams& streams)
{
    std::vector<uint64_t> perFolder(streams.folders.size(), 1);
    uint8_t id = in.Byte();
    if (id == kNumUnpackStream) {
        for (auto& n : perFolder) n = in.Number();
        id = in.Byte();
    }
    if (id == kSize) {
        for (uint64_t n : perFolder) {
            for (uint64_t j = 1; j < n; ++j) in.Number();
        }
        id = in.Byte();
    }
    if (id == kCrc) {
        uint64_t unknown = 0;
        for (size_t i = 0; i < perFolder.size(); ++i) {
            if (!(perFolder[i] == 1 && streams.folderCrc[i])) unknown += perFolder[i];
        }
        in.Digests(unknown);
        id = in.Byte();
    }
    if (id != kEnd) throw std::runtime_error("unknown substream property");
}

Streams ReadStreamsInfo(Cursor& in)
{
    Streams streams;
    for (uint8_t id = in.Byte(); id != kEnd; id = in.Byte()) {
        if (id == kPackInfo) {
            ReadPackInfo(in, streams);
        } else if (id == kUnpackInfo) {
            ReadUnpackInfo(in, streams);
        } else if (id == kSubStreamsInfo) {
            ReadSubStreamsInfo(in, streams);
        } else {
            throw std::runtime_error("unknown streams property");
        }
    }
    return streams;
}

void ReadFilesInfo(Cursor& in, SevenZipHeader& header)
{
    header.entries = in.Number();
    for (uint8_t id = in.Byte(); id != kEnd; id = in.Byte()) {
        uint64_t size = in.Number();
        std::string data = in.Bytes(size);
        if (id == kEmptyStream) {
            Cursor bits(reinterpret_cast<const uint8_t*>(data.data()), data.size());
            header.emptyStreams = bits.SetBits(header.entries);
        }
    }
}

void ReadPlainHeader(Cursor& in, SevenZipHeader& header)
{
    for (uint8_t id = in.Byte(); id != kEnd; id = in.Byte()) {
        if (id == kMainStreamsInfo) {
            header.folders = ReadStreamsInfo(in).folders;
        } else if (id == kFilesInfo) {
            ReadFilesInfo(in, header);
        } else {
            throw std::runtime_error("unsupported header property " + std::to_string(id));
        }
    }
}

void* AllocateForSdk(ISzAllocPtr, size_t size) { return std::malloc(size); }
void FreeForSdk(ISzAllocPtr, void* address) { std::free(address); }

// Unpacks an encoded header stored as one LZMA stream.
std::string UnpackHeader(const std::string& bytes, const Streams& streams)
{
    if (streams.folders.size() != 1 || streams.packSizes.size() != 1) throw std::runtime_error("header folders");
    const SevenZipFolder& folder = streams.folders[0];
    if (folder.coders.size() != 1 || folder.coders[0].method != std::string("\x03\x01\x01", 3)) {
        throw std::runtime_error("header not packed with LZMA alone");
    }
    uint64_t start = kSignatureHeaderSize + streams.packPos;
    if (start > bytes.size() || streams.packSizes[0] > bytes.size() - start) {
        throw std::runtime_error("packed header outside the archive");
    }
    std::string out(static_cast<size_t>(folder.unpackSize), '\0');
    SizeT outSize = out.size();
    SizeT inSize = static_cast<SizeT>(streams.packSizes[0]);
    const std::string& props = folder.coders[0].properties;
    ELzmaStatus status;
    const ISzAlloc alloc = {AllocateForSdk, FreeForSdk};
    SRes result = LzmaDecode(reinterpret_cast<Byte*>(&out[0]), &outSize,
                             reinterpret_cast<const Byte*>(bytes.data() + start), &inSize,
                             reinterpret_cast<const Byte*>(props.data()), static_cast<unsigned>(props.size()),
                             LZMA_FINISH_END, &status, &alloc);
    if (result != SZ_OK || outSize != out.size()) throw std::runtime_error("header does not unpack");
    return out;
}

uint64_t LittleEndian(const std::string& bytes, size_t at, size_t count)
{
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) value |= static_cast<uint64_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    return value;
}

}  // namespace

bool SevenZipHeader::Read(const std::string& bytes, SevenZipHeader& header, std::string& error)
{
    header = SevenZipHeader{};
    try {
        if (bytes.size() < kSignatureHeaderSize || bytes.compare(0, 6, "7z\xBC\xAF\x27\x1C", 6) != 0) {
            throw std::runtime_error("no 7z signature");
        }
        header.versionMajor = static_cast<uint8_t>(bytes[6]);
        header.versionMinor = static_cast<uint8_t>(bytes[7]);
        uint64_t offset = LittleEndian(bytes, 12, 8);
        uint64_t size = LittleEndian(bytes, 20, 8);
        if (offset > bytes.size() - kSignatureHeaderSize || size > bytes.size() - kSignatureHeaderSize - offset) {
            throw std::runtime_error("next header outside the archive");
        }
        Cursor next(reinterpret_cast<const uint8_t*>(bytes.data()) + kSignatureHeaderSize + offset,
                    static_cast<size_t>(size));
        uint8_t kind = next.Byte();
        std::string plain;
        if (kind == kEncodedHeader) {
            header.encodedHeader = true;
            Streams streams = ReadStreamsInfo(next);
            header.headerFolders = streams.folders;
            plain = UnpackHeader(bytes, streams);
        } else if (kind == kHeader) {
            plain = std::string(1, static_cast<char>(kHeader)) + next.Bytes(size - 1);
        } else {
            throw std::runtime_error("no header");
        }
        Cursor in(reinterpret_cast<const uint8_t*>(plain.data()), plain.size());
        in.Expect(kHeader);
        ReadPlainHeader(in, header);
    } catch (const std::exception& failure) {
        error = failure.what();
        return false;
    }
    return true;
}

uint64_t Lzma2DictionarySize(unsigned char property)
{
    if (property >= 40) return 0xFFFFFFFFu;
    return static_cast<uint64_t>(2 | (property & 1)) << (property / 2 + 11);
}

}  // namespace SkinTests
