// The text of a captions table: its bytes decoded to UTF-16, cut into lines,
// and each line split into its fields. Nothing here needs Windows.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Decodes 8-bit text in the system's code page.
using TAnsiDecoder = std::function<std::wstring(std::string_view)>;

// A byte-order mark (UTF-16 LE, UTF-16 BE, UTF-8) selects the decoding and
// is dropped; without one the bytes go to Ansi. The text ends at its first NUL.
std::wstring DecodeCaptionsText(std::string_view Bytes, const TAnsiDecoder& Ansi);

// Lines end at CR LF, a lone CR or a lone LF; the last needs no line end.
std::vector<std::wstring> SplitCaptionLines(std::wstring_view Text);

// The fields of one line: comma-separated, blanks (codes 1 to 32) around
// them skipped, a field in double quotes taken as it stands with doubled
// quotes for one, an unquoted field ending at a comma or a blank. A quote
// left open takes the rest of the line.
std::vector<std::wstring> SplitCaptionFields(std::wstring_view Line);
