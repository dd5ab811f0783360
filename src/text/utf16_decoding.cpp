#include "text/utf16_decoding.hpp"

#include "text/text_decoding.hpp"

namespace kolvo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHigh(std::uint16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(std::uint16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

ByteOrderMark byteOrderMarkOf(std::string_view start) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(start[i]); };
  if (start.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
    return ByteOrderMark::Utf8;
  }
  if (start.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) return ByteOrderMark::Utf16LE;
  if (start.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) return ByteOrderMark::Utf16BE;
  return ByteOrderMark::None;
}


void Utf16Decoder::unit(std::uint16_t u, std::string& out) {
  if (highSurrogate_ != 0) {
    if (isLow(u)) {
      const char32_t c = 0x10000 + ((char32_t{highSurrogate_} - 0xD800) << 10) + (u - 0xDC00);
      highSurrogate_ = 0;
      appendUtf8(out, c);
      return;
    }
    highSurrogate_ = 0;
    appendUtf8(out, kReplacement);  // the high half had no low half
  }
  if (isHigh(u)) {
    highSurrogate_ = u;
  } else if (isLow(u)) {
    appendUtf8(out, kReplacement);
  } else {
    appendUtf8(out, u);
  }
}

void Utf16Decoder::decode(std::string_view bytes, std::string& out) {
  std::size_t i = 0;
  const auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const auto join = [this](unsigned first, unsigned second) {
    return static_cast<std::uint16_t>(bigEndian_ ? first << 8 | second : second << 8 | first);
  };
  if (haveByte_ && !bytes.empty()) {
    unit(join(byte_, byteAt(0)), out);
    haveByte_ = false;
    i = 1;
  }
  for (; i + 1 < bytes.size(); i += 2) unit(join(byteAt(i), byteAt(i + 1)), out);
  if (i < bytes.size()) {
    haveByte_ = true;
    byte_ = byteAt(i);
  }
}

void Utf16Decoder::finish(std::string& out) {
  if (highSurrogate_ != 0) {
    highSurrogate_ = 0;
    appendUtf8(out, kReplacement);
  }
  if (haveByte_) {
    haveByte_ = false;
    appendUtf8(out, kReplacement);
  }
}

}  // namespace kolvo
