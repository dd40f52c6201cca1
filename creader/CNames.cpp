#include "CNames.h"

#include <algorithm>
#include <cstring>

namespace
{

constexpr std::string_view kSaveHeader = "lumdrak C names 1\n";

std::size_t VarintSize(std::uint64_t n)
{
    std::size_t nSize = 1;
    for (; n >= 0x80; n >>= 7)
        ++nSize;
    return nSize;
}

std::size_t StringSize(std::string_view str) { return VarintSize(str.size()) + str.size(); }

void PutVarint(std::string& strOut, std::uint64_t n)
{
    for (; n >= 0x80; n >>= 7)
        strOut += static_cast<char>((n & 0x7F) | 0x80);
    strOut += static_cast<char>(n);
}

void PutString(std::string& strOut, std::string_view str)
{
    PutVarint(strOut, str.size());
    strOut += str;
}

void PutFixed(std::string& strOut, std::uint64_t n)
{
    for (int i = 0; i < 8; ++i)
        strOut += static_cast<char>((n >> (8 * i)) & 0xFF);
}

// Reads the saved form; any byte out of place makes it fail.
class CSavedReader
{
public:
    explicit CSavedReader(std::string_view strBytes) : m_str(strBytes) {}

    bool AtEnd() const { return m_nPos == m_str.size(); }
    bool Byte(std::uint8_t& n)
    {
        if (m_nPos >= m_str.size()) return false;
        n = static_cast<std::uint8_t>(m_str[m_nPos++]);
        return true;
    }
    bool Varint(std::uint64_t& n)
    {
        n = 0;
        for (int nShift = 0; nShift < 64; nShift += 7)
        {
            std::uint8_t nByte = 0;
            if (!Byte(nByte)) return false;
            n |= static_cast<std::uint64_t>(nByte & 0x7F) << nShift;
            if ((nByte & 0x80) == 0) return true;
        }
        return false;
    }
    bool String(std::string_view& str)
    {
        std::uint64_t nLength = 0;
        if (!Varint(nLength) || nLength > m_str.size() - m_nPos) return false;
        str = m_str.substr(m_nPos, nLength);
        m_nPos += nLength;
        return true;
    }
    bool Fixed(std::uint64_t& n)
    {
        if (m_str.size() - m_nPos < 8) return false;
        n = 0;
        for (int i = 0; i < 8; ++i)
            n |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(m_str[m_nPos + i]))
                 << (8 * i);
        m_nPos += 8;
        return true;
    }

private:
    std::string_view m_str;
    std::size_t m_nPos = 0;
};

bool IsIdentifier(std::string_view str)
{
    SPpToken token;
    return LexOne(str, token) && token.eKind == ECPp::Name;
}

std::size_t RecordSize(std::string_view strName, const SCName& name)
{
    std::size_t nSize = 1 + StringSize(strName) + StringSize(name.strOrigin);
    switch (name.eKind)
    {
    case ECNameKind::Macro:
        return nSize + StringSize(name.macro.strDefinition);
    case ECNameKind::Undefined:
        return nSize;
    case ECNameKind::Enumerator:
    case ECNameKind::Constant:
        return nSize + 17 + StringSize(name.strUnknown);
    case ECNameKind::Typedef:
    case ECNameKind::EnumTag:
        return nSize + 2 + VarintSize(name.type.nSize) + VarintSize(name.type.nAlign) +
               StringSize(name.type.strName);
    }
    return nSize;
}

} // namespace

SCType SCType::Of(ECType eType)
{
    SCType type;
    type.eArithmetic = eType;
    type.nSize = type.nAlign = static_cast<std::uint64_t>(TypeInfo(eType).nBits / 8);
    type.strName = TypeInfo(eType).strName;
    return type;
}

CCNames::CCNames() : m_pFallback(&BuiltIn()) {}

CCNames::CCNames(const CCNames* pFallback, bool bOver) : m_pFallback(pFallback), m_bOver(bOver) {}

std::unique_ptr<CCNames> CCNames::Over(const CCNames& under)
{
    return std::unique_ptr<CCNames>(new CCNames(&under, true));
}

CCNames::~CCNames() = default;

CCNames::CMap& CCNames::Map(ESpace eSpace)
{
    return eSpace == ESpace::Macro ? m_macros : eSpace == ESpace::Ordinary ? m_ordinary : m_tags;
}

const CCNames::CMap& CCNames::Map(ESpace eSpace) const
{
    return eSpace == ESpace::Macro ? m_macros : eSpace == ESpace::Ordinary ? m_ordinary : m_tags;
}

const SCName* CCNames::Find(ESpace eSpace, std::string_view strName) const
{
    const CMap& map = Map(eSpace);
    if (const auto it = map.find(strName); it != map.end())
        return it->second.name.eKind == ECNameKind::Undefined ? nullptr : &it->second.name;
    return m_pFallback ? m_pFallback->Find(eSpace, strName) : nullptr;
}

const SCName* CCNames::FindMacro(std::string_view strName) const
{
    return Found(Find(ESpace::Macro, strName), strName);
}

const SCName* CCNames::FindOrdinary(std::string_view strName) const
{
    return Found(Find(ESpace::Ordinary, strName), strName);
}

const SCName* CCNames::FindEnumTag(std::string_view strTag) const
{
    return Found(Find(ESpace::Tag, strTag), strTag);
}

const SCName* CCNames::Found(const SCName* pName, std::string_view strName) const
{
    // Only names that keep values learn what they missed: built-ins and overlays keep none.
    if (pName || m_bOver || !m_pFallback || m_bMissedMany) return pName;
    if (m_missed.find(strName) != m_missed.end()) return pName;
    if (m_missed.size() >= kMaxMissed)
        m_bMissedMany = true;
    else
        m_missed.emplace(strName);
    return pName;
}

void CCNames::NewGeneration()
{
    ++m_nGeneration;
    m_missed.clear();
    m_bMissedMany = false;
}

CCNames::CMap::value_type& CCNames::Define(ESpace eSpace, std::string_view strName,
                                           ECNameKind eKind, std::string_view strOrigin)
{
    CMap& map = Map(eSpace);
    auto it = map.find(strName);
    if (it == map.end())
    {
        // A new name changes what kept values mean where they read it: looked up and missed,
        // or a name it hides (a built-in of its kind; for a macro, an ordinary name).
        if (m_bMissedMany || m_missed.count(strName) != 0 ||
            (m_pFallback && m_pFallback->Find(eSpace, strName)) ||
            (eSpace == ESpace::Macro && Find(ESpace::Ordinary, strName)))
            NewGeneration();
        it = map.emplace(std::string(strName), SEntry{}).first;
        it->second.itAge = m_age.insert(m_age.end(), SAge{eSpace, &it->first});
        ++m_nCount;
    }
    else
    {
        m_age.splice(m_age.end(), m_age, it->second.itAge); // the newest now
        NewGeneration();
    }
    SCName& name = it->second.name;
    name = SCName{};
    name.eKind = eKind;
    name.strOrigin = strOrigin;
    name.bBuiltIn = m_pFallback == nullptr;
    return *it;
}

void CCNames::Account(CMap::value_type& entry)
{
    m_nBytes -= entry.second.nBytes;
    entry.second.nBytes = RecordSize(entry.first, entry.second.name);
    m_nBytes += entry.second.nBytes;
    ++m_nChanges;
    if (m_nHolds == 0) DropBeyondBounds();
}

void CCNames::DropBeyondBounds()
{
    while (m_nCount > kMaxNames || m_nBytes > kMaxBytes)
        DropOldest();
}

CCNames::CHold::~CHold()
{
    if (--m_names.m_nHolds == 0) m_names.DropBeyondBounds();
}

void CCNames::DropOldest()
{
    const SAge age = m_age.front();
    CMap& map = Map(age.eSpace);
    const auto it = map.find(*age.pKey);
    m_nBytes -= it->second.nBytes;
    --m_nCount;
    NewGeneration();
    m_age.pop_front();
    map.erase(it);
}

void CCNames::CacheValue(const SCName& macro, const SCValue& value) const
{
    if (macro.bBuiltIn || m_bOver) return; // its value may rest on names learned later
    macro.cachedValue = value;
    macro.nCachedGeneration = m_nGeneration;
}

const SCValue* CCNames::CachedValue(const SCName& macro) const
{
    return !m_bOver && macro.nCachedGeneration == m_nGeneration ? &macro.cachedValue : nullptr;
}

bool CCNames::DefineMacro(const std::vector<SPpToken>& arrTokens, std::string_view strOrigin)
{
    if (arrTokens.empty() || arrTokens[0].eKind != ECPp::Name) return false;
    const std::string_view strName = arrTokens[0].strText;
    if (strName == "defined") return false;
    std::vector<std::string_view> arrParams;
    bool bVariadic = false;
    std::size_t n = 1;
    const bool bFunction =
        n < arrTokens.size() && arrTokens[n].Is(ECPunct::LeftParen) && !arrTokens[n].bSpace;
    if (bFunction)
    {
        ++n;
        for (bool bExpectParam = true;; bExpectParam = !bExpectParam)
        {
            if (n >= arrTokens.size()) return false;
            const SPpToken& token = arrTokens[n++];
            if (token.Is(ECPunct::RightParen) && (!bExpectParam || arrParams.empty())) break;
            if (bVariadic) return false; // "..." ends the list
            if (bExpectParam && token.Is(ECPunct::Ellipsis))
            {
                arrParams.push_back("__VA_ARGS__");
                bVariadic = true;
            }
            else if (bExpectParam && token.eKind == ECPp::Name)
            {
                if (std::find(arrParams.begin(), arrParams.end(), token.strText) != arrParams.end())
                    return false;
                arrParams.push_back(token.strText);
                if (n < arrTokens.size() && arrTokens[n].Is(ECPunct::Ellipsis))
                {
                    bVariadic = true;
                    ++n;
                }
            }
            else if (bExpectParam || !token.Is(ECPunct::Comma))
                return false;
        }
    }

    // C refuses ## at either end, and in a function-like macro a # before no parameter.
    if (n < arrTokens.size() &&
        (arrTokens[n].Is(ECPunct::HashHash) || arrTokens.back().Is(ECPunct::HashHash)))
        return false;
    for (std::size_t i = n; bFunction && i < arrTokens.size(); ++i)
    {
        if (!arrTokens[i].Is(ECPunct::Hash)) continue;
        const bool bParam = i + 1 < arrTokens.size() && arrTokens[i + 1].eKind == ECPp::Name &&
                            (std::find(arrParams.begin(), arrParams.end(),
                                       arrTokens[i + 1].strText) != arrParams.end() ||
                             (bVariadic && arrTokens[i + 1].strText == "__VA_OPT__"));
        if (!bParam) return false;
    }

    // The definition's canonical text: the name, the parameters, the body's tokens with one
    // blank wherever there were blanks.
    std::string strDefinition(strName);
    if (bFunction)
    {
        strDefinition += '(';
        for (std::size_t i = 0; i < arrParams.size(); ++i)
        {
            if (i > 0) strDefinition += ',';
            const bool bLast = bVariadic && i + 1 == arrParams.size();
            if (!(bLast && arrParams[i] == "__VA_ARGS__")) strDefinition += arrParams[i];
            if (bLast) strDefinition += "...";
        }
        strDefinition += ')';
    }
    const std::size_t nBody = strDefinition.size();
    for (std::size_t i = n; i < arrTokens.size(); ++i)
    {
        if (i == n || arrTokens[i].bSpace) strDefinition += ' ';
        strDefinition += arrTokens[i].strText;
    }

    std::vector<std::int16_t> arrParamOf;
    for (std::size_t i = n; i < arrTokens.size(); ++i)
    {
        std::int16_t nParam = -1;
        for (std::size_t j = 0; bFunction && j < arrParams.size(); ++j)
            if (arrTokens[i].eKind == ECPp::Name && arrTokens[i].strText == arrParams[j])
                nParam = static_cast<std::int16_t>(j);
        arrParamOf.push_back(nParam);
    }
    auto& entry = Define(ESpace::Macro, strName, ECNameKind::Macro, strOrigin);
    SCMacro& macro = entry.second.name.macro;
    macro.strDefinition = std::move(strDefinition);
    macro.nParams = bFunction ? static_cast<int>(arrParams.size()) : -1;
    macro.bVariadic = bVariadic;
    LexPp(macro.strDefinition, static_cast<std::uint32_t>(nBody),
          static_cast<std::uint32_t>(macro.strDefinition.size()), macro.arrBody);
    for (std::size_t i = 0; i < macro.arrBody.size(); ++i)
    {
        SPpToken& token = macro.arrBody[i];
        token.bPasteOp = token.Is(ECPunct::HashHash);
        token.nParam = i < arrParamOf.size() ? arrParamOf[i] : -1;
    }
    Account(entry);
    return true;
}

void CCNames::Undefine(std::string_view strName)
{
    const bool bBuiltIn = m_pFallback && m_pFallback->FindMacro(strName);
    const auto it = m_macros.find(strName);
    if (bBuiltIn)
    {
        Account(Define(ESpace::Macro, strName, ECNameKind::Undefined, ""));
    }
    else if (it != m_macros.end())
    {
        m_nBytes -= it->second.nBytes;
        --m_nCount;
        NewGeneration();
        m_age.erase(it->second.itAge);
        m_macros.erase(it);
        ++m_nChanges;
    }
}

void CCNames::DefineValue(std::string_view strName, ECNameKind eKind, const SCValue& value,
                          std::string_view strOrigin)
{
    auto& entry = Define(ESpace::Ordinary, strName, eKind, strOrigin);
    entry.second.name.value = value;
    Account(entry);
}

void CCNames::DefineUnknown(std::string_view strName, std::string_view strReason,
                            std::string_view strOrigin)
{
    auto& entry = Define(ESpace::Ordinary, strName, ECNameKind::Enumerator, strOrigin);
    entry.second.name.strUnknown = strReason;
    Account(entry);
}

void CCNames::DefineTypedef(std::string_view strName, const SCType& type,
                            std::string_view strOrigin)
{
    auto& entry = Define(ESpace::Ordinary, strName, ECNameKind::Typedef, strOrigin);
    entry.second.name.type = type;
    Account(entry);
}

void CCNames::DefineEnumTag(std::string_view strTag, const SCType& type, std::string_view strOrigin)
{
    auto& entry = Define(ESpace::Tag, strTag, ECNameKind::EnumTag, strOrigin);
    entry.second.name.type = type;
    Account(entry);
}

void CCNames::Forget()
{
    m_macros.clear();
    m_ordinary.clear();
    m_tags.clear();
    m_age.clear();
    m_nCount = 0;
    m_nBytes = 0;
    NewGeneration();
    ++m_nChanges;
}

std::string CCNames::Save() const
{
    std::string strOut(kSaveHeader);
    strOut.reserve(kSaveHeader.size() + m_nBytes);
    for (const SAge& age : m_age)
    {
        const SCName& name = Map(age.eSpace).find(*age.pKey)->second.name;
        strOut += static_cast<char>(name.eKind);
        PutString(strOut, *age.pKey);
        PutString(strOut, name.strOrigin);
        switch (name.eKind)
        {
        case ECNameKind::Macro:
            PutString(strOut, name.macro.strDefinition);
            break;
        case ECNameKind::Undefined:
            break;
        case ECNameKind::Enumerator:
        case ECNameKind::Constant:
        {
            std::uint64_t nDouble = 0;
            std::memcpy(&nDouble, &name.value.dValue, sizeof nDouble);
            strOut += static_cast<char>(name.value.eType);
            PutFixed(strOut, name.value.nBits);
            PutFixed(strOut, nDouble);
            PutString(strOut, name.strUnknown);
            break;
        }
        case ECNameKind::Typedef:
        case ECNameKind::EnumTag:
            strOut += static_cast<char>(name.type.eKind);
            strOut += static_cast<char>(name.type.eArithmetic);
            PutVarint(strOut, name.type.nSize);
            PutVarint(strOut, name.type.nAlign);
            PutString(strOut, name.type.strName);
            break;
        }
    }
    return strOut;
}

bool CCNames::Load(std::string_view strBytes)
{
    CCNames loaded(m_pFallback, m_bOver);
    if (!loaded.Read(strBytes)) return false;
    m_macros.swap(loaded.m_macros);
    m_ordinary.swap(loaded.m_ordinary);
    m_tags.swap(loaded.m_tags);
    m_age.swap(loaded.m_age);
    m_nCount = loaded.m_nCount;
    m_nBytes = loaded.m_nBytes;
    NewGeneration();
    ++m_nChanges;
    return true;
}

void CCNames::Adopt(const CCNames& other)
{
    if (other.m_nCount > 0) Read(other.Save());
}

bool CCNames::Read(std::string_view strBytes)
{
    if (strBytes.substr(0, kSaveHeader.size()) != kSaveHeader) return false;
    CSavedReader reader(strBytes.substr(kSaveHeader.size()));
    CCNames& loaded = *this;
    std::vector<SPpToken> arrTokens;
    while (!reader.AtEnd())
    {
        std::uint8_t nKind = 0;
        std::string_view strName;
        std::string_view strOrigin;
        if (!reader.Byte(nKind) || !reader.String(strName) || !reader.String(strOrigin))
            return false;
        const auto eKind = static_cast<ECNameKind>(nKind);
        const bool bTag = eKind == ECNameKind::EnumTag;
        if (!IsIdentifier(strName)) return false;
        switch (eKind)
        {
        case ECNameKind::Macro:
        {
            std::string_view strDefinition;
            if (!reader.String(strDefinition) || strDefinition.size() > UINT32_MAX) return false;
            arrTokens.clear();
            LexPp(strDefinition, 0, static_cast<std::uint32_t>(strDefinition.size()), arrTokens);
            if (arrTokens.empty() || arrTokens[0].strText != strName ||
                !loaded.DefineMacro(arrTokens, strOrigin))
                return false;
            break;
        }
        case ECNameKind::Undefined:
            loaded.Account(loaded.Define(ESpace::Macro, strName, eKind, strOrigin));
            break;
        case ECNameKind::Enumerator:
        case ECNameKind::Constant:
        {
            std::uint8_t nType = 0;
            std::uint64_t nBits = 0;
            std::uint64_t nDouble = 0;
            std::string_view strUnknown;
            if (!reader.Byte(nType) || nType > static_cast<std::uint8_t>(ECType::Double) ||
                !reader.Fixed(nBits) || !reader.Fixed(nDouble) || !reader.String(strUnknown))
                return false;
            const auto eType = static_cast<ECType>(nType);
            SCValue value;
            if (IsFloating(eType))
            {
                double dValue = 0.0;
                std::memcpy(&dValue, &nDouble, sizeof dValue);
                value = FloatingValue(eType, dValue);
            }
            else
                value = IntegerValue(eType, nBits);
            if (!strUnknown.empty())
                loaded.DefineUnknown(strName, strUnknown, strOrigin);
            else
                loaded.DefineValue(strName, eKind, value, strOrigin);
            break;
        }
        case ECNameKind::Typedef:
        case ECNameKind::EnumTag:
        {
            std::uint8_t nTypeKind = 0;
            std::uint8_t nArithmetic = 0;
            SCType type;
            std::string_view strTypeName;
            if (!reader.Byte(nTypeKind) ||
                nTypeKind > static_cast<std::uint8_t>(ECTypeKind::Unknown) ||
                !reader.Byte(nArithmetic) ||
                nArithmetic > static_cast<std::uint8_t>(ECType::Double) ||
                !reader.Varint(type.nSize) || !reader.Varint(type.nAlign) ||
                !reader.String(strTypeName))
                return false;
            type.eKind = static_cast<ECTypeKind>(nTypeKind);
            type.eArithmetic = static_cast<ECType>(nArithmetic);
            type.strName = strTypeName;
            if (bTag)
                loaded.DefineEnumTag(strName, type, strOrigin);
            else
                loaded.DefineTypedef(strName, type, strOrigin);
            break;
        }
        default:
            return false;
        }
    }
    return true;
}
