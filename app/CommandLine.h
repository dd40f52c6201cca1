#pragma once

#include <QString>
#include <QStringList>

// What lumdrak's arguments ask for, decided before any window or display exists.
struct SCommandLine
{
    int m_nExitCode = -1;    // -1: open the window; otherwise end with this status
    QString m_strOut;        // for standard output
    QString m_strError;      // for standard error: one line
    QString m_strExpression; // for the first '?' prompt, not evaluated; empty for none
};

// Reads the arguments (the program's name first). Qt's own options, such as -platform NAME
// or -style=NAME, are accepted and left for QApplication, which takes them out of argv.
SCommandLine ParseCommandLine(const QStringList& arguments);
