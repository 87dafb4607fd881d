#include "DuiLib/ResourceState.h"

#include <memory>

#include "DuiLib/SkinArchive.h"
#include "Utils/TextConvert.h"
#include "Utils/UniqueResource.h"
#include "app/DiagnosticLog.h"

namespace DuiLib {

const wchar_t kMemoryArchiveName[] = L"membuffer";

namespace {

struct ResourceStateData {
    std::wstring resourcePath;
    HMODULE resourceModule = nullptr;
    std::wstring archiveName;
    bool archiveCached = false;
    bool archiveIs7z = false;
    std::unique_ptr<SkinArchive> archive;  // owned; only while cached
    std::string archiveBytes;              // the copy handed over by the first window
};

ResourceStateData& State()
{
    static ResourceStateData state;
    return state;
}

bool ReadDiskFile(const std::wstring& path, std::size_t limit, std::string& bytes, std::wstring& error)
{
    Utils::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = L"Error opening file";
        return false;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) {
        error = L"Could not read file";
        return false;
    }
    if (size.QuadPart == 0) {
        error = L"File is empty";
        return false;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        error = L"File too large";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size()) {
        bytes.clear();
        error = L"Could not read file";
        return false;
    }
    return true;
}

// The archive to search: the cached one, or a fresh one from the archive file
// (held by temporary, closed by the caller's scope).
const SkinArchive* ArchiveForLookup(std::unique_ptr<SkinArchive>& temporary)
{
    ResourceStateData& s = State();
    if (!s.archiveIs7z) return nullptr;
    if (s.archiveCached) return s.archive.get();
    temporary = OpenFromFile(s.resourcePath + s.archiveName);
    return temporary.get();
}

bool ReadArchiveFile(const std::wstring& name, std::size_t limit, std::string& bytes, std::wstring& error)
{
    std::unique_ptr<SkinArchive> temporary;
    const SkinArchive* archive = ArchiveForLookup(temporary);
    if (!archive) {
        error = L"Error opening zip file";
        return false;
    }
    uint32_t index = 0;
    uint64_t size = 0;
    if (!FindEntry(archive, name, index, size)) {
        error = L"Could not find ziped file";
        return false;
    }
    if (size == 0) {
        error = L"File is empty";
        return false;
    }
    if (size > limit) {
        error = L"File too large";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    if (!ExtractEntry(archive, index, bytes.data())) {
        bytes.clear();
        error = L"Could not unzip file";
        return false;
    }
    return true;
}

std::wstring ExecutableFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    std::size_t cut = folder.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : folder.substr(0, cut + 1);
}

// A resource's bytes stay mapped with the module; nothing to release.
struct ResourceView {
    bool found = false;  // the resource exists
    const void* data = nullptr;
    DWORD size = 0;
};

ResourceView ViewResource(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    ResourceView view;
    HRSRC found = ::FindResourceW(module, name, type);
    if (!found) return view;
    view.found = true;
    HGLOBAL loaded = ::LoadResource(module, found);
    view.data = loaded ? ::LockResource(loaded) : nullptr;
    view.size = view.data ? ::SizeofResource(module, found) : 0;
    return view;
}

bool LoadTypedResource(const std::wstring& name, const std::wstring& type, std::string& bytes)
{
    ResourceView view = ViewResource(GetResourceModule(), name.c_str(), type.c_str());
    if (view.size == 0) return false;
    bytes.assign(static_cast<const char*>(view.data), view.size);
    return true;
}

}  // namespace

void SetResourcePath(const std::wstring& path)
{
    std::wstring& stored = State().resourcePath;
    stored = path;
    if (!stored.empty() && stored.back() != L'\\' && stored.back() != L'/') stored += L'\\';
}

const std::wstring& GetResourcePath()
{
    return State().resourcePath;
}

void SetResourceModule(HMODULE module)
{
    State().resourceModule = module;
}

HMODULE GetResourceModule()
{
    HMODULE module = State().resourceModule;
    return module ? module : ::GetModuleHandleW(nullptr);
}

const std::wstring& GetArchiveName()
{
    return State().archiveName;
}

bool IsArchiveCached()
{
    return State().archiveCached;
}

void SetArchiveFormat7z(bool is7z)
{
    State().archiveIs7z = is7z;
}

bool IsArchiveFormat7z()
{
    return State().archiveIs7z;
}

void SetArchiveFile(const std::wstring& name, bool cached)
{
    ResourceStateData& s = State();
    CloseArchive(s.archive);
    s.archiveBytes.clear();
    s.archiveName = name;
    s.archiveCached = cached && !name.empty();
    if (s.archiveCached && s.archiveIs7z) s.archive = OpenFromFile(s.resourcePath + name);
}

void SetArchiveFromMemory(const void* bytes, std::size_t length)
{
    ResourceStateData& s = State();
    if (s.archiveName == kMemoryArchiveName) return;
    CloseArchive(s.archive);
    s.archiveName = kMemoryArchiveName;
    s.archiveCached = true;
    s.archiveBytes.assign(static_cast<const char*>(bytes), bytes ? length : 0);
    s.archive = OpenFromMemory(s.archiveBytes.data(), s.archiveBytes.size());
    if (s.archive) {
        LogLine(L"skin archive of %u bytes holds %u files", static_cast<unsigned>(length),
            static_cast<unsigned>(s.archive->Entries().size()));
    }
}

const SkinArchive* GetCachedArchive()
{
    return State().archive.get();
}

bool LoadArchiveResource(HMODULE module, int resourceId, const std::wstring& skinFolder)
{
    if (GetResourcePath().empty()) SetResourcePath(ExecutableFolder() + skinFolder);
    ResourceView view = ViewResource(module, MAKEINTRESOURCEW(resourceId), L"ZIPRES");
    if (view.size == 0) {
        LogLine(view.found ? L"ZIPRES resource %d cannot be loaded or is empty" : L"no ZIPRES resource %d", resourceId);
        return false;
    }
    SetArchiveFromMemory(view.data, view.size);
    return true;
}

bool ReadSkinFile(const std::wstring& name, std::string& utf8, std::wstring& error)
{
    utf8.clear();
    error.clear();
    bool ok = GetArchiveName().empty() ? ReadDiskFile(GetResourcePath() + name, kMaxSkinFileBytes, utf8, error)
                                       : ReadArchiveFile(name, kMaxSkinFileBytes, utf8, error);
    if (!ok) {
        LogLine(L"skin file %s: %s", name.c_str(), error.c_str());
        return false;
    }
    if (utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) utf8.erase(0, 3);
    return true;
}

bool LoadImageBytes(const std::wstring& name, const std::wstring& resourceType, std::string& bytes)
{
    bytes.clear();
    if (name.empty()) return false;
    if (!resourceType.empty()) return resourceType != L"*COLOR*" && LoadTypedResource(name, resourceType, bytes);
    std::wstring error;
    // Images have no size limit of their own beyond what memory allows.
    const std::size_t noLimit = static_cast<std::size_t>(-1);
    bool ok = GetArchiveName().empty() ? ReadDiskFile(GetResourcePath() + name, noLimit, bytes, error)
                                       : ReadArchiveFile(name, noLimit, bytes, error);
    if (ok) return true;
    return ReadDiskFile(name, noLimit, bytes, error);
}

void ResetResourceState()
{
    ResourceStateData& s = State();
    CloseArchive(s.archive);
    s = ResourceStateData{};
}

}  // namespace DuiLib
