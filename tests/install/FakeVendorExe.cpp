// Stand-in for the vendor's installation package and for the installed
// version's uninstaller (two executables built from this file): a console
// program that records how it was started and follows the script the test
// left beside it.
#include "FakeScript.h"

int main() { return FakeScript::RunOwnScript(); }
