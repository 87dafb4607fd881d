#include "ServiceCheck.h"

#include <cstdlib>
#include <string>

namespace TestSupport {

bool UnderCi()
{
    const char* value = std::getenv("CI");
    if (!value) return false;
    const std::string text = value;
    return !text.empty() && text != "false" && text != "0";
}

}  // namespace TestSupport
