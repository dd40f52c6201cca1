// The math library, mapped at the first call that needs it instead of at every start: most
// runs of lumdrak-eval (1+2, $FF<<4) never reach sin or pow, and mapping libm is a good part
// of what a start costs beyond /usr/bin/true's. These are the functions of libm that the
// libraries call; defined here, they leave the link no use for libm, which --as-needed then
// drops. A test holds the program to that (lumdrak-eval_needs_no_libm).
#include <cstdio>
#include <cstdlib>

#include <dlfcn.h>
#include <gnu/lib-names.h>

namespace
{

void* MathLibrary()
{
    static void* const pLibrary = []
    {
        void* pOpened = dlopen(LIBM_SO, RTLD_NOW | RTLD_LOCAL);
        if (pOpened == nullptr)
        {
            std::fprintf(stderr, "lumdrak-eval: cannot load %s: %s\n", LIBM_SO, dlerror());
            std::_Exit(1);
        }
        return pOpened;
    }();
    return pLibrary;
}

template <typename TFunction> TFunction* Resolve(const char* pszName)
{
    void* pSymbol = dlsym(MathLibrary(), pszName);
    if (pSymbol == nullptr)
    {
        std::fprintf(stderr, "lumdrak-eval: %s has no %s\n", LIBM_SO, pszName);
        std::_Exit(1);
    }
    return reinterpret_cast<TFunction*>(pSymbol);
}

} // namespace

#define LUMDRAK_LAZY(name, result, params, args)                                                   \
    extern "C" result name params                                                                  \
    {                                                                                              \
        static auto* const pfn = Resolve<result params>(#name);                                    \
        return pfn args;                                                                           \
    }

LUMDRAK_LAZY(sin, double, (double x), (x))
LUMDRAK_LAZY(cos, double, (double x), (x))
LUMDRAK_LAZY(tan, double, (double x), (x))
LUMDRAK_LAZY(asin, double, (double x), (x))
LUMDRAK_LAZY(acos, double, (double x), (x))
LUMDRAK_LAZY(atan, double, (double x), (x))
LUMDRAK_LAZY(exp, double, (double x), (x))
LUMDRAK_LAZY(log, double, (double x), (x))
LUMDRAK_LAZY(log10, double, (double x), (x))
LUMDRAK_LAZY(sqrt, double, (double x), (x))
LUMDRAK_LAZY(pow, double, (double x, double y), (x, y))
LUMDRAK_LAZY(fmod, double, (double x, double y), (x, y))
LUMDRAK_LAZY(ldexp, double, (double x, int n), (x, n))
// libstdc++'s from_chars keeps the rounding mode around its slow path.
LUMDRAK_LAZY(fegetround, int, (), ())
LUMDRAK_LAZY(fesetround, int, (int n), (n))
