#pragma once

// Text helpers shared by the engine, the window's model and the command
// line. Text is UTF-8 throughout.

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane {

// Upper and lower case by the simple (one letter for one letter) case
// mapping of the Latin, Greek and Cyrillic letters: "façade.mid" gives
// "FAÇADE.MID". A letter outside ASCII never becomes an ASCII one (the
// dotless i stays as it is), so a name ends in ".mid" in any case only when
// it ends in those four ASCII letters. Other bytes, and bytes that are not
// well-formed UTF-8, are kept as they are; the length in bytes never changes.
std::string upperCase(std::string_view text);
std::string lowerCase(std::string_view text);

// Case mapping of the ASCII letters only, for comparing with ASCII words.
std::string asciiLower(std::string_view text);

// Characters (not bytes) in a UTF-8 text.
std::size_t characterCount(std::string_view text);

// `text` with each control character (C0 such as a newline, DEL, and C1
// from U+0080 to U+009F) and each byte that is not part of well-formed UTF-8
// written as '?', so that a name stays on one line of a text file and cannot
// steer a terminal. Other text is kept byte for byte.
std::string withoutControlCharacters(std::string_view text);

// The key names are sorted by, as a reader orders them whatever the locale:
// letters in lower case and without their diacritics, for the Latin, Greek
// and Cyrillic scripts ("Äb" and "ab", "Ώ" and "ω", "Й" and "и" give the same
// key; "ß" gives "ss", "æ" "ae"), combining marks left out; every other code
// point as it is. A byte that is not well-formed UTF-8 sorts after all text.
// Names with equal keys are told apart by their code points.
std::u32string sortKey(std::string_view text);

// The native path separator as text.
const std::string& pathSeparator();

}  // namespace quorvane
