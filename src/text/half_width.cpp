#include "text/half_width.h"

#include <cstddef>

namespace aismon {

namespace {

struct SymbolEntry {
  uint16_t full;
  uint8_t half;
};

// The byte values of the tables below were generated from the CP932 encoding of the texts
// in their comments.

// Full-width symbols that have a half-width form. Others in 0x8141-0x81FF (＃, ＄, ～ ...)
// stay full-width.
constexpr SymbolEntry kSymbolTable[38] = {
    {0x818D, 0x22},  // ″ -> "
    {0x8168, 0x22},  // ” -> "
    {0x818B, 0xDF},  // ° -> ﾟ
    {0x818C, 0x27},  // ′ -> '
    {0x8141, 0xA4},  // 、 -> ､
    {0x8142, 0xA1},  // 。 -> ｡
    {0x8143, 0x2C},  // ， -> ,
    {0x8144, 0x2E},  // ． -> .
    {0x8145, 0xA5},  // ・ -> ･
    {0x8146, 0x3A},  // ： -> :
    {0x8147, 0x3B},  // ； -> ;
    {0x8148, 0x3F},  // ？ -> ?
    {0x8149, 0x21},  // ！ -> !
    {0x814A, 0xDE},  // ゛ -> ﾞ
    {0x814B, 0xDF},  // ゜ -> ﾟ
    {0x814F, 0x5E},  // ＾ -> ^
    {0x8150, 0x7E},  // ￣ -> ~
    {0x8151, 0x5F},  // ＿ -> _
    {0x815D, 0x2D},  // ‐ -> -
    {0x815E, 0x2F},  // ／ -> /
    {0x8162, 0x7C},  // ｜ -> |
    {0x8166, 0x27},  // ’ -> '
    {0x8169, 0x28},  // （ -> (
    {0x816A, 0x29},  // ） -> )
    {0x816D, 0x5B},  // ［ -> [
    {0x816E, 0x5D},  // ］ -> ]
    {0x816F, 0x7B},  // ｛ -> {
    {0x8170, 0x7D},  // ｝ -> }
    {0x8171, 0x3C},  // 〈 -> <
    {0x8172, 0x3E},  // 〉 -> >
    {0x8175, 0xA2},  // 「 -> ｢
    {0x8176, 0xA3},  // 」 -> ｣
    {0x817B, 0x2B},  // ＋ -> +
    {0x817C, 0x2D},  // － -> -
    {0x8181, 0x3D},  // ＝ -> =
    {0x8183, 0x3C},  // ＜ -> <
    {0x8184, 0x3E},  // ＞ -> >
    {0x8197, 0x40},  // ＠ -> @
};

// ぁぃぅぇぉゃゅょゎ・・っあいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわゐゑをん
constexpr uint16_t kPlainHiragana[60] = {
    0x829F, 0x82A1, 0x82A3, 0x82A5, 0x82A7, 0x82E1, 0x82E3, 0x82E5, 0x82EC, 0x8145,
    0x8145, 0x82C1, 0x82A0, 0x82A2, 0x82A4, 0x82A6, 0x82A8, 0x82A9, 0x82AB, 0x82AD,
    0x82AF, 0x82B1, 0x82B3, 0x82B5, 0x82B7, 0x82B9, 0x82BB, 0x82BD, 0x82BF, 0x82C2,
    0x82C4, 0x82C6, 0x82C8, 0x82C9, 0x82CA, 0x82CB, 0x82CC, 0x82CD, 0x82D0, 0x82D3,
    0x82D6, 0x82D9, 0x82DC, 0x82DD, 0x82DE, 0x82DF, 0x82E0, 0x82E2, 0x82E4, 0x82E6,
    0x82E7, 0x82E8, 0x82E9, 0x82EA, 0x82EB, 0x82ED, 0x82EE, 0x82EF, 0x82F0, 0x82F1,
};
// ァィゥェォャュョヮヵヶッアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヰヱヲン
constexpr uint16_t kPlainKatakana[60] = {
    0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x838E, 0x8395,
    0x8396, 0x8362, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360, 0x8363,
    0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388,
    0x8389, 0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8390, 0x8391, 0x8392, 0x8393,
};
// ｧｨｩｪｫｬｭｮﾜ･･ｯｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｲｴｦﾝ
constexpr uint8_t kPlainHiraganaHalf[60] = {
    0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xDC, 0xA5, 0xA5, 0xAF,
    0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC,
    0xBD, 0xBE, 0xBF, 0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8,
    0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4,
    0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xB2, 0xB4, 0xA6, 0xDD,
};
// ｧｨｩｪｫｬｭｮﾜｶｹｯｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｲｴｦﾝ
constexpr uint8_t kPlainKatakanaHalf[60] = {
    0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xDC, 0xB6, 0xB9, 0xAF,
    0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC,
    0xBD, 0xBE, 0xBF, 0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8,
    0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4,
    0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xB2, 0xB4, 0xA6, 0xDD,
};
// がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽ
constexpr uint16_t kVoicedHiragana[25] = {
    0x82AA, 0x82AC, 0x82AE, 0x82B0, 0x82B2, 0x82B4, 0x82B6, 0x82B8, 0x82BA, 0x82BC,
    0x82BE, 0x82C0, 0x82C3, 0x82C5, 0x82C7, 0x82CE, 0x82D1, 0x82D4, 0x82D7, 0x82DA,
    0x82CF, 0x82D2, 0x82D5, 0x82D8, 0x82DB,
};
// ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポ
constexpr uint16_t kVoicedKatakana[25] = {
    0x834B, 0x834D, 0x834F, 0x8351, 0x8353, 0x8355, 0x8357, 0x8359, 0x835B, 0x835D,
    0x835F, 0x8361, 0x8364, 0x8366, 0x8368, 0x836F, 0x8372, 0x8375, 0x8378, 0x837B,
    0x8370, 0x8373, 0x8376, 0x8379, 0x837C,
};
// ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ
constexpr uint8_t kVoicedHalf[25][2] = {
    {0xB6, 0xDE}, {0xB7, 0xDE}, {0xB8, 0xDE}, {0xB9, 0xDE}, {0xBA, 0xDE}, {0xBB, 0xDE}, {0xBC, 0xDE}, {0xBD, 0xDE},
    {0xBE, 0xDE}, {0xBF, 0xDE}, {0xC0, 0xDE}, {0xC1, 0xDE}, {0xC2, 0xDE}, {0xC3, 0xDE}, {0xC4, 0xDE}, {0xCA, 0xDE},
    {0xCB, 0xDE}, {0xCC, 0xDE}, {0xCD, 0xDE}, {0xCE, 0xDE}, {0xCA, 0xDF}, {0xCB, 0xDF}, {0xCC, 0xDF}, {0xCD, 0xDF},
    {0xCE, 0xDF},
};
// The hiragana table and its half-width text are matched by position; its two "・"
// entries only keep that alignment (・ is converted by the symbol table first).
static_assert(sizeof(kPlainHiragana) / sizeof(kPlainHiragana[0]) == sizeof(kPlainHiraganaHalf));
static_assert(sizeof(kPlainKatakana) / sizeof(kPlainKatakana[0]) == sizeof(kPlainKatakanaHalf));
static_assert(sizeof(kVoicedHiragana) / sizeof(kVoicedHiragana[0]) == sizeof(kVoicedHalf) / 2);
static_assert(sizeof(kVoicedKatakana) / sizeof(kVoicedKatakana[0]) == sizeof(kVoicedHalf) / 2);

constexpr uint16_t kFullSpace = 0x8140;
constexpr uint16_t kFullDigitZero = 0x824F;
constexpr uint16_t kFullDigitNine = 0x8258;
constexpr uint16_t kFullCapitalA = 0x8260;
constexpr uint16_t kFullCapitalZ = 0x8279;
constexpr uint16_t kFullSmallA = 0x8281;
constexpr uint16_t kFullSmallZ = 0x829A;
constexpr uint16_t kHiraganaFirst = 0x829F;  // ぁ
constexpr uint16_t kHiraganaLast = 0x82F1;   // ん
constexpr uint16_t kKatakanaFirst = 0x8340;  // ァ
constexpr uint16_t kKatakanaLast = 0x8393;   // ン; ヴ ヵ ヶ lie beyond and stay full-width

template <size_t N>
int FindCode(const uint16_t (&table)[N], uint16_t code) {
  for (size_t i = 0; i < N; ++i)
    if (table[i] == code) return static_cast<int>(i);
  return -1;
}

// Appends the half-width form of a kana from one pair of plain and voiced tables; false
// when the code is in neither.
template <size_t P, size_t V>
bool AppendKana(uint16_t code, const uint16_t (&plain)[P], const uint8_t (&plainHalf)[P],
                const uint16_t (&voiced)[V], std::string& out) {
  if (const int i = FindCode(plain, code); i >= 0) {
    out.push_back(static_cast<char>(plainHalf[i]));
    return true;
  }
  if (const int i = FindCode(voiced, code); i >= 0) {
    out.push_back(static_cast<char>(kVoicedHalf[i][0]));
    out.push_back(static_cast<char>(kVoicedHalf[i][1]));
    return true;
  }
  return false;
}

}  // namespace

std::string FullDigitsToHalf(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const uint8_t b1 = static_cast<uint8_t>(s[i]);
    if (!IsShiftJisLeadByte(b1) || i + 1 >= s.size()) {
      out.push_back(s[i++]);
      continue;
    }
    const uint16_t code = static_cast<uint16_t>(b1 << 8 | static_cast<uint8_t>(s[i + 1]));
    if (code >= kFullDigitZero && code <= kFullDigitNine) {
      out.push_back(static_cast<char>('0' + (code - kFullDigitZero)));
    } else {
      out.append(s.substr(i, 2));
    }
    i += 2;
  }
  return out;
}

int ToHalfWidthChar(uint8_t b1, uint8_t b2, bool kanaToHalf, std::string& out) {
  if (!IsShiftJisLeadByte(b1)) {
    out.push_back(static_cast<char>(b1));
    return 1;
  }
  const uint16_t code = static_cast<uint16_t>(b1 << 8 | b2);
  if (code == kFullSpace) {
    out.push_back(' ');
    return 2;
  }
  if (code > kFullSpace && code <= 0x81FF) {
    for (const SymbolEntry& e : kSymbolTable) {
      if (e.full == code) {
        out.push_back(static_cast<char>(e.half));
        return 2;
      }
    }
  } else if (code >= kFullDigitZero && code <= kFullDigitNine) {
    out.push_back(static_cast<char>('0' + (code - kFullDigitZero)));
    return 2;
  } else if (code >= kFullCapitalA && code <= kFullCapitalZ) {
    out.push_back(static_cast<char>('A' + (code - kFullCapitalA)));
    return 2;
  } else if (code >= kFullSmallA && code <= kFullSmallZ) {
    out.push_back(static_cast<char>('a' + (code - kFullSmallA)));
    return 2;
  } else if (kanaToHalf && code >= kHiraganaFirst && code <= kHiraganaLast) {
    if (AppendKana(code, kPlainHiragana, kPlainHiraganaHalf, kVoicedHiragana, out)) return 2;
  } else if (kanaToHalf && code >= kKatakanaFirst && code <= kKatakanaLast) {
    if (AppendKana(code, kPlainKatakana, kPlainKatakanaHalf, kVoicedKatakana, out)) return 2;
  }
  out.push_back(static_cast<char>(b1));
  out.push_back(static_cast<char>(b2));
  return 2;
}

std::string ToHalfWidth(std::string_view s, bool kanaToHalf) {
  std::string out;
  out.reserve(s.size() + 1);
  for (size_t i = 0; i < s.size();) {
    const uint8_t b2 = i + 1 < s.size() ? static_cast<uint8_t>(s[i + 1]) : uint8_t{'$'};
    i += static_cast<size_t>(ToHalfWidthChar(static_cast<uint8_t>(s[i]), b2, kanaToHalf, out));
  }
  return out;
}

}  // namespace aismon
