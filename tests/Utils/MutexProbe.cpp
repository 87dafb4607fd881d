// Second process for the single-instance test: exits 0 when it got the mutex
// named by its argument, 1 when another process holds it, 2 on bad use.
#include "Utils/SingleInstanceMutex.h"
#include "Utils/TextConvert.h"

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    Utils::SingleInstanceMutex mutex(Utils::ToWide(argv[1], 0));
    return mutex.Acquire() ? 0 : 1;
}
