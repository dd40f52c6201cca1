#pragma once

#include <histedit.h>
#include <string>

// libedit is loaded when a terminal session starts, not with the program: a script's call
// then maps neither it nor the terminal libraries it pulls in. These are the functions the
// line editor uses, under libedit's own names and types.
#define LUMDRAK_LIBEDIT_FUNCTIONS(X)                                                               \
    X(el_init)                                                                                     \
    X(el_end)                                                                                      \
    X(el_set)                                                                                      \
    X(el_wset)                                                                                     \
    X(el_get)                                                                                      \
    X(el_source)                                                                                   \
    X(el_gets)                                                                                     \
    X(el_wgetc)                                                                                    \
    X(el_push)                                                                                     \
    X(el_wpush)                                                                                    \
    X(el_line)                                                                                     \
    X(el_wline)                                                                                    \
    X(el_insertstr)                                                                                \
    X(el_deletestr)                                                                                \
    X(el_cursor)                                                                                   \
    X(history_init)                                                                                \
    X(history_end)                                                                                 \
    X(history)

struct SLibedit
{
#define LUMDRAK_LIBEDIT_FIELD(name) decltype(&::name) name = nullptr;
    LUMDRAK_LIBEDIT_FUNCTIONS(LUMDRAK_LIBEDIT_FIELD)
#undef LUMDRAK_LIBEDIT_FIELD
};

// Loads libedit and resolves its functions, at the first call only. False when the library
// cannot be loaded or lacks one of them; strError then holds the loader's reason.
bool LoadLibedit(std::string& strError);

// The functions, once LoadLibedit has succeeded.
const SLibedit& Libedit();
