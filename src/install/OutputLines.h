#pragma once
// A child's output, arriving in reads of any size, turned back into its
// lines. A line ends at LF (a CR before the LF stays in the line); a line
// still unfinished at the end of a read, together with a multibyte character
// cut by the read boundary, waits for the next read. Lines stay bytes until
// their owner decodes them one at a time, so a line that changes the code
// page takes effect from the next line on. LF never occurs inside a
// character of the ANSI code pages or of UTF-8, so splitting bytes there is
// safe.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

class OutputLines {
public:
    // A longer line keeps its first kMaxLineBytes bytes and loses the rest up
    // to its LF, so a child writing without line ends cannot fill memory. This
    // is far beyond the longest key with the longest value.
    static constexpr size_t kMaxLineBytes = 64 * 1024;

    void Append(const char* bytes, size_t count);
    // The oldest complete line, without its LF; false when none is complete.
    bool TakeLine(std::string& line);
    // Once the output has ended: the unfinished last line; false when there is none.
    bool TakeRest(std::string& line);

    // The text of a line: its bytes up to the first zero byte, decoded in the
    // code page (0 ANSI, 65001 UTF-8, or a code page number); empty when they
    // cannot be converted.
    static std::wstring Decode(const std::string& bytes, int32_t codePage);
    // Whether this system can decode text in the code page at all.
    static bool IsUsableCodePage(int32_t codePage);

private:
    std::deque<std::string> complete_;
    std::string pending_;
};
