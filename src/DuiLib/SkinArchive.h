#pragma once
// A 7z archive decoded completely into memory: every file of the archive, in
// archive order, as its own buffer. Directories are not entries. Nothing is
// decoded after opening; look-ups are a linear name search plus a copy.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace DuiLib {

class SkinArchive {
public:
    struct Entry {
        std::wstring name;        // as stored, folders separated by '/'
        uint32_t nameLength = 0;  // UTF-16 units including the terminating zero
        uint32_t index = 0;       // file index inside the archive
        std::string data;         // the complete decoded content
        uint64_t size = 0;        // data.size()
    };

    const std::vector<Entry>& Entries() const { return entries_; }
    // How many times a compressed block was decoded while opening; a solid
    // archive decodes its one block once however many files it holds.
    unsigned BlockDecodes() const { return blockDecodes_; }

private:
    friend std::unique_ptr<SkinArchive> OpenFromMemory(const void* bytes, std::size_t length);
    friend std::unique_ptr<SkinArchive> OpenFromFile(const std::wstring& path);
    // The bytes are not kept. An unreadable database gives null, or an empty
    // archive when emptyWhenUnreadable.
    static std::unique_ptr<SkinArchive> Decode(const void* bytes, std::size_t length, bool emptyWhenUnreadable);

    std::vector<Entry> entries_;
    unsigned blockDecodes_ = 0;
};

// Null when the bytes hold no readable archive database. A file that fails to
// decode ends the decoding: it and all later files are missing.
std::unique_ptr<SkinArchive> OpenFromMemory(const void* bytes, std::size_t length);
// Null only when the file cannot be opened (the path goes through the ANSI
// code page); a file that is no readable archive gives an archive without entries.
std::unique_ptr<SkinArchive> OpenFromFile(const std::wstring& path);
// Backslashes in name count as slashes; names compare without regard to case.
// Fails for no archive, an empty name or no such file.
bool FindEntry(const SkinArchive* archive, const std::wstring& name, uint32_t& index, uint64_t& size);
// Copies the entry's data (its full size, as FindEntry reported) into destination.
bool ExtractEntry(const SkinArchive* archive, uint32_t index, void* destination);
void CloseArchive(std::unique_ptr<SkinArchive>& archive);

// Blocks decoded by every archive opened in this process so far.
unsigned TotalBlockDecodes();

}  // namespace DuiLib
