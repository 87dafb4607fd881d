#pragma once
// MD5 as RFC 1321 defines it: Start, any number of Update calls, Finish.

#include <cstddef>
#include <cstdint>

namespace Utils {

class Md5 {
public:
    Md5() { Start(); }
    void Start();
    void Update(const void* data, size_t length);
    // Pads, appends the bit count and writes the 16 result bytes.
    void Finish(uint8_t digest[16]);

private:
    void Transform(const uint8_t block[64]);

    uint32_t count_[2];  // bits hashed so far, low word first
    uint32_t state_[4];
    uint8_t buffer_[64];
};

}  // namespace Utils
