#include "Exception.h"

#include "TextConvert.h"

namespace Utils {

Exception::Exception(const std::wstring& message) : message_(ToNarrow(message, 0)) {}

}  // namespace Utils
