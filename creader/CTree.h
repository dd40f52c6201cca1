#pragma once

// The reader's tree of one C expression, shared by its parser (CReader.cpp) and its printer of
// the calculator's syntax (CTranslation.cpp).
#include "CLexer.h"
#include "CValue.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class ECNode : std::uint8_t
{
    Literal,
    Group,
    Unary,
    Binary,
    Cast
};

struct SCNode
{
    ECNode eKind = ECNode::Literal;
    ECOp eOp = ECOp::Plus;
    ECType eType = ECType::Int; // C's type of the node, known even where its value is not
    bool bDefined = true;
    bool bWrapped64 = false;
    int nLeft = -1; // the operand of a group, unary operator or cast
    int nRight = -1;
    std::uint32_t nFirstToken = 0;
    std::uint32_t nToken = 0;      // the literal, the operator, or the '(' of a group or cast
    std::uint32_t nCloseToken = 0; // the ')' of a group
    SCValue value;
};

// Appends the calculator's form of the tree under nRoot to strOut, and with pSourcePos the
// pasted position of each byte. bSpaced: the operators the printer adds get blanks around them.
void PrintTranslation(const std::vector<SCNode>& arrNodes, const std::vector<SCToken>& arrTokens,
                      const SCleanText& clean, bool bSpaced, int nRoot, std::string& strOut,
                      std::vector<std::size_t>* pSourcePos);
