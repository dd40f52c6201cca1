#include "Libedit.h"

#include <dlfcn.h>
#include <memory>
#include <type_traits>

namespace
{

struct SCloseLibrary
{
    void operator()(void* pHandle) const { dlclose(pHandle); }
};

// The loaded library and its functions; the handle is closed, and the functions forgotten,
// when any of them is missing. Closing never unloads it: libedit and libtinfo keep what they
// allocate in their own variables to the end, where the leak checker must still find it.
class CLoadedLibedit
{
public:
    CLoadedLibedit()
        : m_pHandle(dlopen(LUMDRAK_LIBEDIT_SONAME, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE))
    {
        if (m_pHandle == nullptr)
        {
            Fail();
            return;
        }
#define LUMDRAK_LIBEDIT_RESOLVE(name) Resolve(#name, m_functions.name);
        LUMDRAK_LIBEDIT_FUNCTIONS(LUMDRAK_LIBEDIT_RESOLVE)
#undef LUMDRAK_LIBEDIT_RESOLVE
        if (!m_strError.empty())
        {
            m_functions = SLibedit{};
            m_pHandle.reset();
        }
    }

    bool IsLoaded() const { return m_pHandle != nullptr; }
    const std::string& Error() const { return m_strError; }
    const SLibedit& Functions() const { return m_functions; }

private:
    template <typename TFunction> void Resolve(const char* szName, TFunction& pFunction)
    {
        static_assert(std::is_pointer_v<TFunction>);
        if (!m_strError.empty()) return;
        void* pSymbol = dlsym(m_pHandle.get(), szName);
        if (pSymbol == nullptr)
            Fail();
        else
            pFunction = reinterpret_cast<TFunction>(pSymbol);
    }

    void Fail()
    {
        const char* szReason = dlerror();
        m_strError = szReason != nullptr ? szReason : LUMDRAK_LIBEDIT_SONAME ": not loaded";
    }

    std::unique_ptr<void, SCloseLibrary> m_pHandle;
    SLibedit m_functions;
    std::string m_strError;
};

// Made at the first call, which only a terminal session makes.
const CLoadedLibedit& Loaded()
{
    static const CLoadedLibedit loaded;
    return loaded;
}

} // namespace

bool LoadLibedit(std::string& strError)
{
    const CLoadedLibedit& loaded = Loaded();
    strError = loaded.Error();
    return loaded.IsLoaded();
}

const SLibedit& Libedit() { return Loaded().Functions(); }
