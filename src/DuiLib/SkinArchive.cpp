#include "DuiLib/SkinArchive.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "Utils/TextConvert.h"
#include "Utils/UniqueResource.h"
#include "app/DiagnosticLog.h"

extern "C" {
#include "7z.h"
#include "7zAlloc.h"
#include "7zCrc.h"
}

namespace DuiLib {
namespace {

unsigned g_totalBlockDecodes = 0;

const ISzAlloc kAllocMain = {SzAlloc, SzFree};
const ISzAlloc kAllocTemp = {SzAllocTemp, SzFreeTemp};

// The SDK reads the archive through a look-ahead stream; over bytes already in
// memory "looking" is just handing out a pointer to the rest of the buffer.
struct MemoryLookStream {
    ILookInStream vt;
    const Byte* data;
    std::size_t size;
    std::size_t pos;
};

MemoryLookStream* StreamOf(ILookInStreamPtr p)
{
    return reinterpret_cast<MemoryLookStream*>(const_cast<ILookInStream*>(p));
}

SRes MemoryLook(ILookInStreamPtr p, const void** buf, std::size_t* size)
{
    MemoryLookStream* s = StreamOf(p);
    std::size_t left = s->size - s->pos;
    *size = std::min(*size, left);
    *buf = s->data + s->pos;
    return SZ_OK;
}

SRes MemorySkip(ILookInStreamPtr p, std::size_t offset)
{
    MemoryLookStream* s = StreamOf(p);
    if (offset > s->size - s->pos) return SZ_ERROR_INPUT_EOF;
    s->pos += offset;
    return SZ_OK;
}

SRes MemoryRead(ILookInStreamPtr p, void* buf, std::size_t* size)
{
    MemoryLookStream* s = StreamOf(p);
    std::size_t n = std::min(*size, s->size - s->pos);
    if (n != 0) std::memcpy(buf, s->data + s->pos, n);
    s->pos += n;
    *size = n;
    return SZ_OK;
}

SRes MemorySeek(ILookInStreamPtr p, Int64* pos, ESzSeek origin)
{
    MemoryLookStream* s = StreamOf(p);
    Int64 base = 0;
    switch (origin) {
    case SZ_SEEK_SET: base = 0; break;
    case SZ_SEEK_CUR: base = static_cast<Int64>(s->pos); break;
    case SZ_SEEK_END: base = static_cast<Int64>(s->size); break;
    default: return SZ_ERROR_UNSUPPORTED;
    }
    Int64 target = base + *pos;
    if (target < 0 || static_cast<UInt64>(target) > s->size) return SZ_ERROR_INPUT_EOF;
    s->pos = static_cast<std::size_t>(target);
    *pos = target;
    return SZ_OK;
}

// Frees the SDK's database and its solid-block cache together.
class DatabaseScope {
public:
    DatabaseScope() { SzArEx_Init(&db); }
    ~DatabaseScope()
    {
        ISzAlloc_Free(&kAllocMain, blockBuffer);
        SzArEx_Free(&db, &kAllocMain);
    }
    DatabaseScope(const DatabaseScope&) = delete;
    DatabaseScope& operator=(const DatabaseScope&) = delete;

    CSzArEx db;
    UInt32 blockIndex = 0xFFFFFFFF;
    Byte* blockBuffer = nullptr;
    std::size_t blockBufferSize = 0;
};

std::wstring FileName(const CSzArEx& db, UInt32 i)
{
    std::size_t length = SzArEx_GetFileNameUtf16(&db, i, nullptr);
    std::vector<UInt16> units(length + 1, 0);
    SzArEx_GetFileNameUtf16(&db, i, units.data());
    return std::wstring(units.begin(), units.begin() + (length ? length - 1 : 0));
}

// The SDK decodes a block when the cache holds a different one (or none);
// files without data belong to no block.
bool WillDecodeBlock(const DatabaseScope& scope, UInt32 i)
{
    UInt32 folder = scope.db.FileToFolder[i];
    if (folder == static_cast<UInt32>(-1)) return false;
    return scope.blockBuffer == nullptr || scope.blockIndex != folder;
}

}  // namespace

std::unique_ptr<SkinArchive> SkinArchive::Decode(const void* bytes, std::size_t length, bool emptyWhenUnreadable)
{
    static const bool crcReady = (CrcGenerateTable(), true);
    (void)crcReady;

    MemoryLookStream stream{};
    stream.vt.Look = MemoryLook;
    stream.vt.Skip = MemorySkip;
    stream.vt.Read = MemoryRead;
    stream.vt.Seek = MemorySeek;
    stream.data = static_cast<const Byte*>(bytes);
    stream.size = bytes ? length : 0;

    auto archive = std::unique_ptr<SkinArchive>(new SkinArchive());
    DatabaseScope scope;
    SRes res = SzArEx_Open(&scope.db, &stream.vt, &kAllocMain, &kAllocTemp);
    if (res != SZ_OK) {
        LogLine(L"no readable 7z database (%d) in %u bytes", static_cast<int>(res), static_cast<unsigned>(length));
        return emptyWhenUnreadable ? std::move(archive) : nullptr;
    }

    for (UInt32 i = 0; i < scope.db.NumFiles; ++i) {
        if (SzArEx_IsDir(&scope.db, i)) continue;
        Entry entry;
        entry.name = FileName(scope.db, i);
        entry.nameLength = static_cast<uint32_t>(entry.name.size() + 1);
        entry.index = i;
        if (WillDecodeBlock(scope, i)) {
            ++archive->blockDecodes_;
            ++g_totalBlockDecodes;
        }
        std::size_t offset = 0;
        std::size_t processed = 0;
        res = SzArEx_Extract(&scope.db, &stream.vt, i, &scope.blockIndex, &scope.blockBuffer,
            &scope.blockBufferSize, &offset, &processed, &kAllocMain, &kAllocTemp);
        if (res != SZ_OK) {
            // A broken file leaves the rest of its block (and what follows)
            // unusable; keep what decoded so far.
            LogLine(L"decoding %s failed (%d); %u files kept", entry.name.c_str(), static_cast<int>(res),
                static_cast<unsigned>(archive->entries_.size()));
            break;
        }
        entry.data.assign(reinterpret_cast<const char*>(scope.blockBuffer) + offset, processed);
        entry.size = processed;
        archive->entries_.push_back(std::move(entry));
    }
    return archive;
}

std::unique_ptr<SkinArchive> OpenFromMemory(const void* bytes, std::size_t length)
{
    return SkinArchive::Decode(bytes, length, false);
}

std::unique_ptr<SkinArchive> OpenFromFile(const std::wstring& path)
{
    std::string ansiPath = Utils::ToNarrow(path, 0);
    Utils::UniqueFile file(::CreateFileA(ansiPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    std::string bytes;
    LARGE_INTEGER fileSize{};
    if (::GetFileSizeEx(file.Get(), &fileSize) && fileSize.QuadPart > 0 && fileSize.QuadPart < 0x7FFFFFFF) {
        bytes.resize(static_cast<std::size_t>(fileSize.QuadPart));
        DWORD got = 0;
        if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
        bytes.resize(got);
    }
    return SkinArchive::Decode(bytes.data(), bytes.size(), true);
}

bool FindEntry(const SkinArchive* archive, const std::wstring& name, uint32_t& index, uint64_t& size)
{
    if (!archive || name.empty()) return false;
    std::wstring wanted = name;
    std::replace(wanted.begin(), wanted.end(), L'\\', L'/');
    for (const SkinArchive::Entry& entry : archive->Entries()) {
        if (entry.nameLength != wanted.size() + 1) continue;
        if (::lstrcmpiW(entry.name.c_str(), wanted.c_str()) != 0) continue;
        index = entry.index;
        size = entry.size;
        return true;
    }
    return false;
}

bool ExtractEntry(const SkinArchive* archive, uint32_t index, void* destination)
{
    if (!archive || !destination) return false;
    for (const SkinArchive::Entry& entry : archive->Entries()) {
        if (entry.index != index) continue;
        if (!entry.data.empty()) std::memcpy(destination, entry.data.data(), entry.data.size());
        return true;
    }
    return false;
}

void CloseArchive(std::unique_ptr<SkinArchive>& archive)
{
    archive.reset();
}

unsigned TotalBlockDecodes()
{
    return g_totalBlockDecodes;
}

}  // namespace DuiLib
