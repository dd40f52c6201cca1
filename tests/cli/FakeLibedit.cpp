// Stands in for libedit under its soname, without any of its functions. It says so when it is
// loaded, so that a test sees whether a program loaded it at all.
#include <unistd.h>

namespace
{

[[gnu::constructor]] void AnnounceLoading()
{
    constexpr char kMessage[] = "fake libedit loaded\n";
    if (write(STDERR_FILENO, kMessage, sizeof kMessage - 1) < 0) _exit(125);
}

} // namespace
