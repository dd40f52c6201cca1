#pragma once

#include "CPpToken.h"
#include "CValue.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// A type as the reader knows it: an arithmetic type of CValue, or what only sizeof, _Alignof
// and a reason need.
enum class ECTypeKind : std::uint8_t
{
    Arithmetic, // eArithmetic; an enumeration's type too, as its underlying type
    Other,      // a scalar the reader computes no values of: _Bool, long double, __int128
    Pointer,
    Record, // a struct or union: its size is not known here
    Enum,   // an enumeration not defined (yet)
    Array,
    Void,
    Unknown, // a typedef name the reader could not resolve
};

struct SCType
{
    ECTypeKind eKind = ECTypeKind::Arithmetic;
    ECType eArithmetic = ECType::Int;
    std::uint64_t nSize = 0; // bytes; 0 where not known
    std::uint64_t nAlign = 0;
    std::string strName; // as a reason names it: "struct v4l2_tuner", "_Bool"

    static SCType Of(ECType eType);
    bool IsArithmetic() const { return eKind == ECTypeKind::Arithmetic; }
};

// A macro as #define gave it.
struct SCMacro
{
    std::string strDefinition;     // what follows "#define ": "NAME(a,b) body"
    std::vector<SPpToken> arrBody; // the replacement list; texts view strDefinition
    int nParams = -1;              // -1: object-like
    bool bVariadic = false;        // the last parameter takes the rest (__VA_ARGS__ or name...)
};

enum class ECNameKind : std::uint8_t
{
    Macro,
    Undefined,  // #undef of a built-in name
    Enumerator, // value, or strUnknown where its value is not known
    Constant,   // a const declaration's value
    Typedef,
    EnumTag, // "enum tag": type
};

struct SCName
{
    ECNameKind eKind = ECNameKind::Macro;
    std::string strOrigin; // "pasted", "linux/input.h"
    SCMacro macro;
    SCValue value;
    std::string strUnknown; // an enumerator whose value needs what is not known: why
    SCType type;
    bool bBuiltIn = false;
    // An object-like macro's value, where its replacement reads as one known value: valid
    // while the names' generation is nCachedGeneration.
    mutable SCValue cachedValue;
    mutable std::uint64_t nCachedGeneration = 0;
};

// The names C text defined: macros, enumerators, constants, typedefs and enumeration tags,
// each with where it came from. Lookups fall back on the built-in names (the integer types of
// <stdint.h>, <stddef.h> and the kernel, <limits.h>, the ioctl encoding) unless a name was
// undefined. At most kMaxNames names and kMaxBytes bytes of their saved form are kept: each
// new definition drops the oldest beyond them.
class CCNames
{
public:
    static constexpr std::size_t kMaxNames = 100000;
    static constexpr std::size_t kMaxBytes = std::size_t{8} << 20;

    CCNames();
    ~CCNames();
    CCNames(const CCNames&) = delete;
    CCNames& operator=(const CCNames&) = delete;
    // Names over under, which stays as it is: its names are found here too, and what is defined
    // here stays here (a reading that must teach nothing).
    static std::unique_ptr<CCNames> Over(const CCNames& under);

    const SCName* FindMacro(std::string_view strName) const;
    const SCName* FindOrdinary(std::string_view strName) const; // enumerators, constants, typedefs
    const SCName* FindEnumTag(std::string_view strTag) const;

    // A macro from the tokens of a #define line after "define"; false (and nothing defined)
    // where C refuses the definition (a # before no parameter, ## at either end).
    bool DefineMacro(const std::vector<SPpToken>& arrTokens, std::string_view strOrigin);
    void Undefine(std::string_view strName);
    // An enumerator's or a constant's value.
    void DefineValue(std::string_view strName, ECNameKind eKind, const SCValue& value,
                     std::string_view strOrigin);
    // An enumerator whose value needs what is not known.
    void DefineUnknown(std::string_view strName, std::string_view strReason,
                       std::string_view strOrigin);
    void DefineTypedef(std::string_view strName, const SCType& type, std::string_view strOrigin);
    void DefineEnumTag(std::string_view strTag, const SCType& type, std::string_view strOrigin);

    // The names learned (built-ins not counted), and the bytes their saved form takes.
    std::size_t Count() const { return m_nCount; }
    // Changes whenever a definition is replaced or goes, so that values kept from before are
    // not taken again.
    std::uint64_t Generation() const { return m_nGeneration; }
    // Keeps an object-like macro's value, which its replacement gives wherever it stands.
    void CacheValue(const SCName& macro, const SCValue& value) const;
    const SCValue* CachedValue(const SCName& macro) const;
    std::size_t Bytes() const { return m_nBytes; }
    // Counts every definition, #undef, drop, Forget and Load: unchanged, the names are too.
    std::uint64_t Changes() const { return m_nChanges; }
    void Forget();

    // While a hold lasts, a definition drops no older name: tokens and values read from the
    // names (a macro's replacement, its kept value) stay where they are. The names beyond the
    // bounds go when the last hold ends.
    class CHold
    {
    public:
        explicit CHold(CCNames& names) : m_names(names) { ++m_names.m_nHolds; }
        ~CHold();
        CHold(const CHold&) = delete;
        CHold& operator=(const CHold&) = delete;

    private:
        CCNames& m_names;
    };

    // Every name learned, oldest first, as bytes that Load reads back.
    std::string Save() const;
    // Replaces the names by those of Save's bytes; false, and nothing changed, when the bytes
    // are not that form.
    bool Load(std::string_view strBytes);
    // Defines every name of other here, oldest first, each replacing one of the same name.
    void Adopt(const CCNames& other);

    // The names of <stdint.h>, <stddef.h>, <limits.h>, <stdbool.h>, the kernel's types and
    // <asm-generic/ioctl.h>, read once.
    static const CCNames& BuiltIn();

private:
    enum class ESpace : std::uint8_t
    {
        Macro,
        Ordinary,
        Tag
    };
    struct SAge
    {
        ESpace eSpace;
        const std::string* pKey;
    };
    struct SEntry
    {
        SCName name;
        std::list<SAge>::iterator itAge;
        std::size_t nBytes = 0; // of its saved form
    };
    struct SHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view strKey) const
        {
            return std::hash<std::string_view>{}(strKey);
        }
    };
    using CMap = std::unordered_map<std::string, SEntry, SHash, std::equal_to<>>;

    CCNames(const CCNames* pFallback, bool bOver);
    const SCName* Find(ESpace eSpace, std::string_view strName) const;
    CMap::value_type& Define(ESpace eSpace, std::string_view strName, ECNameKind eKind,
                             std::string_view strOrigin);
    CMap& Map(ESpace eSpace);
    const CMap& Map(ESpace eSpace) const;
    void Account(CMap::value_type& entry);
    // Defines the names of Save's bytes here; false where a byte is out of place.
    bool Read(std::string_view strBytes);
    void DropOldest();
    void DropBeyondBounds();
    // The names mean something else from now on: no kept value is taken again.
    void NewGeneration();
    const SCName* Found(const SCName* pName, std::string_view strName) const;

    CMap m_macros;
    CMap m_ordinary;
    CMap m_tags;
    std::list<SAge> m_age; // oldest first
    std::size_t m_nCount = 0;
    std::size_t m_nBytes = 0;
    std::uint64_t m_nGeneration = 1;
    // Names looked up here and not found since the generation changed: defining one changes
    // what a kept value may have read (a keyword, an enumeration's tag, the operand of
    // __builtin_constant_p). Beyond kMaxMissed any new name counts as one.
    static constexpr std::size_t kMaxMissed = 4096;
    mutable std::unordered_set<std::string, SHash, std::equal_to<>> m_missed;
    mutable bool m_bMissedMany = false;
    std::uint64_t m_nChanges = 0;
    int m_nHolds = 0;
    const CCNames* m_pFallback;
    // Over other names: no value is kept in their macros, which a definition here may change.
    bool m_bOver = false;
};
