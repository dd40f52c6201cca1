#pragma once

#include <span>
#include <string>
#include <string_view>

class CEvalSession;

// What a command line of a terminal session did.
struct SCommandOutcome
{
    std::string strText; // to print: whole lines, each ended by '\n'
    bool bQuit = false;  // the session ends
};

// A command of a terminal session: ':', its name, and after a blank its argument. A new
// command is one more row of Commands() and the function that runs it.
struct SCommand
{
    std::string_view strName;
    std::string_view strAlias;                // another name for it, not listed; or empty
    std::string_view strArgument;             // as :help shows it; empty: it takes none
    std::span<const std::string_view> values; // the values it takes, for Tab; empty: any
    std::string_view strHelp;                 // what it does, for :help
    void (*pfnRun)(CEvalSession& session, std::string_view strArgument, SCommandOutcome& outcome);
    bool bPath = false; // its argument is a file's path, completed from the folder it names
};

// The commands, in the order :help lists them.
std::span<const SCommand> Commands();

// The command named strName (or by its alias), or nullptr.
const SCommand* CommandNamed(std::string_view strName);

// A path as a shell would take it: a leading "~/" is the home folder.
std::string ExpandHome(std::string_view strPath);

// Runs strLine, a ':' and a command. An unknown command, or an argument the command does not
// take, is answered with one line and changes nothing.
SCommandOutcome RunCommand(CEvalSession& session, std::string_view strLine);
