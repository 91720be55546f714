#pragma once
// Text handling shared by the play list readers and writers: turning a file's bytes into
// lines of UTF-8, and the small parsing helpers both formats use.
//
// Plain C++ with no Qt and no shared state, so that the fuzz targets can build it alone.
// All functions are pure and thread-safe.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmix {

// Splits a play list file into lines.
//   - A UTF-8 byte-order mark is dropped; a UTF-16 one (either byte order) makes the rest
//     of the file UTF-16, converted to UTF-8 (unpaired surrogates become U+FFFD).
//   - LF, CR LF and a lone CR each end a line; the line ends are not kept. A final line
//     without a line end is kept; an empty file gives no lines.
//   - Lines are kept byte for byte, valid UTF-8 or not: a path line may name a file whose
//     name is not UTF-8. The readers make titles valid UTF-8 (ToValidUtf8) and try a path's
//     own bytes before its Latin-1 reading.
//   - NUL bytes are dropped: no path or title can hold one.
std::vector<std::string> PlayListLines(std::string_view bytes);

bool IsValidUtf8(std::string_view text);
std::string Latin1ToUtf8(std::string_view text);
// The text itself when it is valid UTF-8, else its Latin-1 reading.
std::string ToValidUtf8(std::string_view text);

// Without leading and trailing blanks, tabs, CR, LF, vertical tabs and form feeds.
std::string_view TrimBlanks(std::string_view text);
std::string AsciiLower(std::string_view text);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// The integer at the start of `text` in the manner of atoi: leading blanks, an optional
// sign, then decimal digits, stopping at the first other character. Empty when there is no
// digit or the value does not fit in an int.
std::optional<int> LeadingInteger(std::string_view text);

// A track length as stored in a play list: a whole number of seconds, -1 when unknown.
// Anything that is not a number, or is negative, reads as unknown (-1).
double SecondsFromText(std::string_view text);

// The length written for an entry: seconds truncated toward zero, -1 when unknown or out
// of the int range.
int SecondsForWriting(double seconds);

}  // namespace quillmix
