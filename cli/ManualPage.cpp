// lumdrak-eval-manual TEMPLATE PAGE: writes lumdrak-eval's manual page, its OPTIONS section
// made from the options' table in place of the template's marker line. A build tool only.
#include "Options.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace
{

constexpr std::string_view kMarker = ".\\\" OPTIONS: made from the table in cli/Options.cpp";

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fputs("usage: lumdrak-eval-manual TEMPLATE PAGE\n", stderr);
        return 2;
    }
    std::ifstream input(argv[1], std::ios::binary);
    std::string strPage(std::istreambuf_iterator<char>(input), {});
    const std::size_t nMarker = strPage.find(kMarker);
    if (!input || nMarker == std::string::npos)
    {
        std::fprintf(stderr, "lumdrak-eval-manual: %s has no OPTIONS marker\n", argv[1]);
        return 1;
    }
    strPage.replace(nMarker, strPage.find('\n', nMarker) + 1 - nMarker, ManualOptionsText());
    std::ofstream output(argv[2], std::ios::binary);
    output << strPage;
    return output.flush() ? 0 : 1;
}
