// The floor for eval_prompt: prints the prompt and waits, as lumdrak-eval does at best.
#include <cstdio>
#include <unistd.h>

int main()
{
    std::fputs("?", stdout);
    std::fflush(stdout);
    pause();
}
