#pragma once

#include <exception>
#include <string>

namespace Utils {

// The system's own failure (a child process that cannot be started). The
// message is given wide and kept in the ANSI code page for what().
class Exception : public std::exception {
public:
    explicit Exception(const std::wstring& message = std::wstring());
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

}  // namespace Utils
