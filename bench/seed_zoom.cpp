// Stores a zoom in the hive of $XDG_CONFIG_HOME, as the window does when it changes, so that
// bench/startup.sh can measure a start at that zoom: seed_zoom PERCENT

#include "Zoom.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: seed_zoom PERCENT\n");
        return 2;
    }
    SaveZoom(std::atoi(argv[1]));
    return 0;
}
