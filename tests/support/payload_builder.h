#pragma once
// Builds AIS payload text for tests, independently of the decoder's own bit reader:
// fields are placed at 1-based bit positions into a bit vector, then armoured.
#include <cstdint>
#include <string>
#include <vector>

namespace aismon::testing {

class PayloadBuilder {
 public:
  explicit PayloadBuilder(int bits) : bits_(bits, false) {}

  // Value into bits first..last (two's complement for negative values).
  PayloadBuilder& Set(int first, int last, int64_t value) {
    for (int b = last; b >= first; --b, value >>= 1) bits_.at(b - 1) = (value & 1) != 0;
    return *this;
  }
  // Six-bit text from bit first, padded with '@' to count characters.
  PayloadBuilder& Text(int first, int count, const std::string& text) {
    static const std::string alphabet = "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_ !\"#$%&'()*+,-./0123456789:;<=>?";
    for (int i = 0; i < count; ++i) {
      const char c = i < static_cast<int>(text.size()) ? text[i] : '@';
      const size_t v = c == '|' ? 28 : alphabet.find(c);
      Set(first + 6 * i, first + 6 * i + 5, static_cast<int64_t>(v == std::string::npos ? 0 : v));
    }
    return *this;
  }
  // The armoured text; the last character is padded with zero bits (the fill bits).
  std::string Armoured() const {
    std::string out;
    for (size_t i = 0; i < bits_.size(); i += 6) {
      int v = 0;
      for (size_t k = 0; k < 6; ++k) v = v * 2 + (i + k < bits_.size() && bits_[i + k] ? 1 : 0);
      out += static_cast<char>(v < 40 ? v + 48 : v + 56);
    }
    return out;
  }
  int FillBits() const { return static_cast<int>((6 - bits_.size() % 6) % 6); }
  // A complete single-fragment sentence; the checksum is never checked by the intake.
  std::string Sentence(const char* type = "VDM", char channel = 'A') const {
    return std::string("!AI") + type + ",1,1,," + channel + "," + Armoured() + "," + std::to_string(FillBits()) +
           "*00";
  }

 private:
  std::vector<bool> bits_;
};

}  // namespace aismon::testing
