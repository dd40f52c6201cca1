#pragma once

#include "CNames.h"
#include "CPpToken.h"

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

// C's macro replacement over a line's tokens, as GCC performs it: arguments replaced before
// they are substituted (unless # or ## takes them), # and ## (with GNU's ", ## __VA_ARGS__"
// and __VA_OPT__), and the rescan, during which a macro is not replaced inside its own
// replacement, so that self-referring and mutually recursive macros stop. Tokens an expansion
// makes have the positions of the name that was replaced.
//
// An object-like macro whose value the names keep stands as that value, not replaced again.
//
// Every expansion is bounded: at most kMaxTokens tokens made (fewer where the caller says so),
// arguments replaced at most kMaxArgumentDepth levels deep, at most kMaxContexts replacements
// open at once; past a bound Expand refuses, saying why.
class CCMacroExpander
{
public:
    static constexpr std::size_t kMaxTokens = std::size_t{1} << 16;
    static constexpr int kMaxArgumentDepth = 100;
    static constexpr std::size_t kMaxContexts = 20000;

    explicit CCMacroExpander(const CCNames& names) : m_names(names) {}

    // Replaces the macros in arrIn, appending the result to arrOut. pDisabled: a macro that is
    // not replaced from the start (an object-like macro whose own body is being read). False
    // on a refusal, which m_strRefusal then gives.
    bool Expand(const std::vector<SPpToken>& arrIn, std::vector<SPpToken>& arrOut,
                const SCName* pDisabled = nullptr, std::size_t nMaxTokens = kMaxTokens);
    // The tokens the last expansion made.
    std::size_t Made() const { return m_nMade; }

    std::string m_strRefusal;
    // The macros that names of arrIn itself invoked, in order.
    std::vector<std::string_view> m_arrInvoked;

private:
    struct SContext
    {
        std::vector<SPpToken> arrTokens;
        std::size_t nPos = 0;
        const SCName* pMacro = nullptr; // not replaced while its replacement is read
        bool bBarrier = false;          // an argument or the input: reading stops at its end
    };
    struct SArgument
    {
        std::vector<SPpToken> arrRaw;
        std::vector<SPpToken> arrExpanded;
        bool bExpanded = false;
    };

    bool Next(SPpToken& token);
    bool ReadRaw(SPpToken& token);
    bool SkipPragma();
    void Pop();
    bool Push(std::vector<SPpToken>&& arrTokens, const SCName* pMacro, bool bBarrier);
    bool Invoke(const SPpToken& name, const SCName& macro);
    bool CollectArguments(const SPpToken& name, const SCName& macro,
                          std::vector<SArgument>& arrArgs);
    bool ExpandArgument(SArgument& argument);
    bool Substitute(const SPpToken& name, const SCName& macro, std::vector<SArgument>& arrArgs,
                    std::size_t nBegin, std::size_t nEnd, std::vector<SPpToken>& arrOut);
    bool Paste(std::vector<SPpToken>& arrTokens, int nVariadic);
    SPpToken Stringify(const std::vector<SPpToken>& arrTokens);
    bool Count(std::size_t nTokens);
    bool Refuse(std::string strReason);

    const CCNames& m_names;
    std::vector<SContext> m_stack;
    std::unordered_set<const SCName*> m_disabled;
    std::deque<std::string> m_arrMade; // texts of tokens made by # and ##
    std::size_t m_nMade = 0;
    std::size_t m_nMaxTokens = kMaxTokens;
    int m_nArgumentDepth = 0;
    std::string_view m_strOuter; // the name of the outermost macro being replaced
    bool m_bRefused = false;
};
