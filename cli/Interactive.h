#pragma once

class CEvalSession;

// The session on a terminal: lines are edited with libedit, kept in the history file, and
// evaluated one by one; a line that begins with ':' is a command (Commands.h). Returns
// false, having read nothing, when the terminal cannot be edited; when libedit cannot be
// loaded it says so on standard error first.
bool RunInteractive(CEvalSession& session);
