#pragma once
// The process-wide place where every skinned window finds its skin files:
// a folder on disk, or one 7z archive (in the installer, the "ZIPRES"
// resource held in memory and decoded once for all windows).
//
// Used only from the UI thread; nothing here is locked.

#include <windows.h>

#include <cstddef>
#include <string>

namespace DuiLib {

class SkinArchive;

// The archive name of an archive held in memory.
extern const wchar_t kMemoryArchiveName[];  // "membuffer"
// Skin XML files larger than this are refused.
constexpr std::size_t kMaxSkinFileBytes = 4u * 1024u * 1024u;

// Folder prefix for files on disk. A non-empty path gets a trailing backslash
// unless it already ends with a backslash or a slash.
void SetResourcePath(const std::wstring& path);
const std::wstring& GetResourcePath();

// The process's one module instance (PaintManager::SetInstance is the same
// slot): its resources hold the archive and typed images, and the window
// classes are registered with it. The running executable unless set; set
// once at start-up, before the first window.
void SetResourceModule(HMODULE module);
HMODULE GetResourceModule();

// "" means files come from disk below the resource path.
const std::wstring& GetArchiveName();
bool IsArchiveCached();
// Only the 7z reader exists: with this off, an archive name cannot be opened
// and every archive look-up fails as "Error opening zip file".
void SetArchiveFormat7z(bool is7z);
bool IsArchiveFormat7z();
// An archive file below the resource path; cached keeps it open between
// look-ups, otherwise it is opened per look-up. Closes any cached archive.
void SetArchiveFile(const std::wstring& name, bool cached);
// The first call decodes the archive and keeps it for the whole process;
// later calls (further windows) change nothing once the archive name is
// "membuffer". Unreadable bytes leave no archive, and every look-up then fails.
void SetArchiveFromMemory(const void* bytes, std::size_t length);
// The open cached archive, or null.
const SkinArchive* GetCachedArchive();

// Window creation with skins in a program resource: fills in the resource
// path (executable folder + skinFolder) when it is empty, copies resource
// resourceId of type "ZIPRES" from module and hands it to
// SetArchiveFromMemory. False when the resource is missing, cannot be loaded
// or is empty: the window then goes on without a skin.
bool LoadArchiveResource(HMODULE module, int resourceId, const std::wstring& skinFolder = L"");

// Reads a skin XML file from disk (resource path + name) or from the archive,
// refusing empty files and files over kMaxSkinFileBytes. utf8 receives the
// text without a leading UTF-8 byte-order mark. On failure error receives one
// of "Error opening file", "Error opening zip file", "Could not find ziped file",
// "File is empty", "File too large", "Could not unzip file", "Could not read file".
bool ReadSkinFile(const std::wstring& name, std::string& utf8, std::wstring& error);

// The undecoded bytes of an image. With a resourceType, from the resource
// module's resources of that type (the caller handles the pseudo type
// "*COLOR*", whose name is a colour rather than a file; it never reaches here
// successfully). Otherwise from the archive when one is named, else from
// resource path + name on disk; failing that, name itself as a file path
// (relative to the current folder).
bool LoadImageBytes(const std::wstring& name, const std::wstring& resourceType, std::string& bytes);

// Forgets the path, archive and flags, as at process start. The installer
// never needs this; tests and tools that switch between skins do.
void ResetResourceState();

}  // namespace DuiLib
