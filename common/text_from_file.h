#pragma once

#include <QString>

// Texts that come from a file or a logger (a location, the captions, a title made of them) are
// shown through here: a control character in one would move a terminal's cursor, change its
// colours or break the one line a run takes in a listing, and would break a label or a
// printout's heading. Each is replaced by a visible escape; everything else, backslashes
// included, stays as it is. The data itself keeps the text as it came (files, the archive).
namespace textfromfile {

// Whether `c` is shown as an escape: C0 controls, DEL, C1 controls, and the line and paragraph
// separators (which break lines in labels and printouts).
constexpr bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029;
}

// `text` with every control character replaced by "\t", "\n", "\r", or "\xNN" ("\u2028" for
// the separators): "A\x1b[31mB" stays readable and harmless. A text without any comes back
// unchanged.
QString shown(const QString &text);

} // namespace textfromfile
