#pragma once

// The windows' zoom in percent, kept beside the settings code as the text of its own value,
// HKEY_CURRENT_USER "Software\Lumdrak" value "Zoom" ("150"). Loading never writes: a missing,
// unreadable or malformed value gives nDefault. Saving writes only a changed value.
int LoadZoom(int nDefault);
void SaveZoom(int nPercent);
