// The Copy command: the selected rows as text on the clipboard.
#pragma once

// Places the selected rows' text on the clipboard, as the list's own bytes (OEM text) and as
// Unicode text converted from the ANSI code page. Nothing happens when no row is selected or the
// memory cannot be had.
void CopySelectionToClipboard();
