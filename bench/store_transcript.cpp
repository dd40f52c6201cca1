// Stores the largest transcript as the kept console in the hive of XDG_CONFIG_HOME, for the
// start-up measurement (startup.sh).
#include "ConsoleStore.h"
#include "LargestTranscript.h"

#include <cstdio>

int main()
{
    CConsoleStore store;
    if (!store.Save(TranscriptOf(LargestTranscript() + "\r\n?"))) return 1;
    std::printf("stored %zu bytes in %zu lines\n", LargestTranscript().size(), kTranscriptMaxLines);
    return 0;
}
