#include "text.hpp"

#include <filesystem>

namespace quorvane {

namespace {

// Letters whose cases lie a fixed distance apart: upper case `first` to
// `last`, lower case `delta` above.
struct CaseRange {
    char32_t first, last;
    int delta;
};
constexpr CaseRange kRanges[] = {
    {0x41, 0x5A, 32},      // A-Z
    {0xC0, 0xD6, 32},      // À-Ö
    {0xD8, 0xDE, 32},      // Ø-Þ
    {0x178, 0x178, -121},  // Ÿ-ÿ
    {0x386, 0x386, 38},    // Ά
    {0x388, 0x38A, 37},    // Έ-Ί
    {0x38C, 0x38C, 64},    // Ό
    {0x38E, 0x38F, 63},    // Ύ-Ώ
    {0x391, 0x3A1, 32},    // Α-Ρ
    {0x3A3, 0x3AB, 32},    // Σ-Ϋ
    {0x400, 0x40F, 80},    // Ѐ-Џ
    {0x410, 0x42F, 32},    // А-Я
    {0x4C0, 0x4C0, 15},    // Ӏ
};

// Letters in pairs: from `first` to `last`, an upper-case letter at each even
// offset and its lower case right after it.
struct CasePairs {
    char32_t first, last;
};
constexpr CasePairs kPairRuns[] = {
    {0x100, 0x12F},  // Ā-į
    {0x132, 0x137},  // Ĳ-ķ
    {0x139, 0x148},  // Ĺ-ň
    {0x14A, 0x177},  // Ŋ-ŷ
    {0x179, 0x17E},  // Ź-ž
    {0x3D8, 0x3EF},  // Ϙ-ϯ
    {0x460, 0x481},  // Ѡ-ҁ
    {0x48A, 0x4BF},  // Ҋ-ҿ
    {0x4C1, 0x4CE},  // Ӂ-ӎ
    {0x4D0, 0x52F},  // Ӑ-ԯ
};

constexpr char32_t kFinalSigma = 0x3C2, kCapitalSigma = 0x3A3;

char32_t lowerOf(char32_t c) {
    for (const CaseRange& range : kRanges) {
        if (c >= range.first && c <= range.last) return c + range.delta;
    }
    for (const CasePairs& run : kPairRuns) {
        if (c >= run.first && c <= run.last) return (c - run.first) % 2 == 0 ? c + 1 : c;
    }
    return c;
}

char32_t upperOf(char32_t c) {
    if (c == kFinalSigma) return kCapitalSigma;
    for (const CaseRange& range : kRanges) {
        if (c - range.delta >= range.first && c - range.delta <= range.last) return c - range.delta;
    }
    for (const CasePairs& run : kPairRuns) {
        if (c > run.first && c <= run.last && (c - run.first) % 2 == 1) return c - 1;
    }
    return c;
}

// Every letter mapped lies below U+0530 (lead bytes up to 0xD4): one or two
// bytes in UTF-8, and its other case as many. Longer sequences, stray
// continuation bytes and broken sequences are copied byte by byte: none of
// their bytes is a two-byte lead.
template <typename Map>
std::string mapCase(std::string_view text, Map map) {
    std::string out(text);
    for (std::size_t k = 0; k < out.size(); ++k) {
        const auto lead = static_cast<unsigned char>(out[k]);
        if (lead < 0x80) {
            out[k] = static_cast<char>(map(lead));
            continue;
        }
        if (lead < 0xC2 || lead > 0xD4 || k + 1 == out.size()) continue;
        const auto next = static_cast<unsigned char>(out[k + 1]);
        if ((next & 0xC0) != 0x80) continue;
        const char32_t mapped = map(static_cast<char32_t>(((lead & 0x1F) << 6) | (next & 0x3F)));
        out[k] = static_cast<char>(0xC0 | (mapped >> 6));
        out[k + 1] = static_cast<char>(0x80 | (mapped & 0x3F));
        ++k;
    }
    return out;
}

// One code point of well-formed UTF-8 and its length in bytes; a length of
// 0 where the bytes at `at` are not well-formed (an overlong form, a
// surrogate, a stray continuation byte, a sequence cut short...).
struct CodePoint {
    char32_t value;
    std::size_t length;
};

CodePoint codePointAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned lead = byte(0);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;  // the second byte's range
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    }
    if (length == 0 || at + length > text.size()) return {0, 0};
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned next = byte(k);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return {0, 0};
        value = (value << 6) | (next & 0x3F);
    }
    return {value, length};
}

// The base letters of letters with diacritics, in lower case, from `first`
// on; '.' keeps the letter as it is.
struct FoldRun {
    char32_t first;
    std::u32string_view bases;
};
constexpr FoldRun kFoldRuns[] = {
    {0xC0, U"aaaaaa.ceeeeiiiidnooooo.ouuuuy..aaaaaa.ceeeeiiiidnooooo.ouuuuy.y"},
    {0x100,
     U"aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii..jjkk.llllllllllnnnnnnn..oooooo..rrrrrrssssssssttttttuuuuuuuu"
     U"uuuuwwyyyzzzzzzs"},
    {0x1A0, U"oo.............uu"},
    {0x1CD, U"aaiioouuuuuuuuuu"},
    {0x218, U"sstt"},
    {0x386, U"α.εηι.ο.υωι.........................ιυαεηιυ.................σ.......ιυουω"},
    {0x400, U"ее.г...і....киу..........и...............................и......................ее.г...і....киу."},
    {0x4C1, U"жж.............аааа..ее..әәжжзз..ииииоо..өөээуууууучч..ыы"},
    {0x1EA0, U"aaaaaaaaaaaaaaaaaaaaaaaaeeeeeeeeeeeeeeeeiiiioooooooooooooooooooooooouuuuuuuuuuuuuuyyyyyyyy"},
};

// Letters read as two.
struct FoldPair {
    char32_t letter;
    std::u32string_view reads;
};
constexpr FoldPair kFoldPairs[] = {
    {0xC6, U"ae"},  {0xDF, U"ss"},  {0xE6, U"ae"},  {0x132, U"ij"},
    {0x133, U"ij"}, {0x152, U"oe"}, {0x153, U"oe"}, {0x1E9E, U"ss"},
};

bool isCombiningMark(char32_t c) { return c >= 0x300 && c <= 0x36F; }

void appendFolded(std::u32string& key, char32_t c) {
    c = lowerOf(c);
    for (const FoldPair& pair : kFoldPairs) {
        if (pair.letter == c) {
            key += pair.reads;
            return;
        }
    }
    for (const FoldRun& run : kFoldRuns) {
        if (c >= run.first && c - run.first < run.bases.size()) {
            const char32_t base = run.bases[c - run.first];
            key += base == U'.' ? c : base;
            return;
        }
    }
    key += c;
}

}  // namespace

std::string upperCase(std::string_view text) { return mapCase(text, upperOf); }

std::string lowerCase(std::string_view text) { return mapCase(text, lowerOf); }

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

const std::string& pathSeparator() {
    static const std::string kSeparator(1, static_cast<char>(std::filesystem::path::preferred_separator));
    return kSeparator;
}

std::string withoutControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const CodePoint c = codePointAt(text, at);
        if (c.length == 0) {
            out += '?';
            ++at;
            continue;
        }
        const bool control = c.value < 0x20 || (c.value >= 0x7F && c.value <= 0x9F);
        if (control)
            out += '?';
        else
            out.append(text, at, c.length);
        at += c.length;
    }
    return out;
}

std::u32string sortKey(std::string_view text) {
    // Past the last code point: bytes that are not UTF-8 sort after text.
    constexpr char32_t kNotText = 0x110000;
    std::u32string key;
    key.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const CodePoint c = codePointAt(text, at);
        if (c.length == 0) {
            key += static_cast<char32_t>(kNotText + static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        if (!isCombiningMark(c.value)) appendFolded(key, c.value);
        at += c.length;
    }
    return key;
}

}  // namespace quorvane
