#pragma once

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

// The console's text lives in two shapes: the widget's (UTF-16, one position per line break)
// and the console logic's (Windows-1252 bytes, a line break is CR LF). These functions are the
// only crossing between them. A widget character outside the code page becomes the byte 0x1A,
// one byte per UTF-16 unit, so that every widget position except a line break is one byte.

// Widget text as QTextDocument::toRawText() gives it; U+2029, U+2028, CR and LF are breaks.
std::string ToModelText(QStringView strWidget);

// Model bytes for the widget: CR LF, or a lone CR or LF, becomes '\n'. The byte 0x1A, which
// stands for a lost character, shows as U+FFFD.
QString ToWidgetText(std::string_view strModel);

// Positions from 0. A model position inside a CR LF maps to the start of its line break;
// positions beyond the text are clamped to its end.
int ToModelPos(QStringView strWidget, int nWidgetPos);
int ToWidgetPos(QStringView strWidget, int nModelPos);
