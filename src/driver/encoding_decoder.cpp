#include "driver/encoding_decoder.hpp"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

#include "io/message_text.hpp"

namespace kolvo {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";
// iconv_open's answer when it has no converter: (iconv_t) -1.
bool noConverter(iconv_t converter) { return reinterpret_cast<std::intptr_t>(converter) == -1; }

iconv_t openConverter(const std::string& name) { return iconv_open("UTF-8", name.c_str()); }

class IconvDecoder final : public InputDecoder {
 public:
  explicit IconvDecoder(iconv_t converter) : converter_(converter) {}
  ~IconvDecoder() override { iconv_close(converter_); }
  IconvDecoder(const IconvDecoder&) = delete;
  IconvDecoder& operator=(const IconvDecoder&) = delete;

  void decode(std::string_view bytes, std::string& out) override {
    if (held_.empty()) return convert(bytes, out);
    // The held bytes and these, converted from a buffer of their own, for
    // a character cut again at their end is held anew.
    held_.append(bytes);
    joined_.swap(held_);
    held_.clear();
    convert(joined_, out);
    joined_.clear();
  }

  void finish(std::string& out) override {
    if (!held_.empty()) out += kReplacementUtf8;  // the input ends inside a character
    held_.clear();
    // A stateful encoding may owe a last character once its state resets.
    runConverter(nullptr, nullptr, out);
  }

 private:
  // Converts `bytes`; a character cut at their end is held for the next block.
  void convert(std::string_view bytes, std::string& out) {
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; it reads only
    std::size_t left = bytes.size();
    while (left > 0) {
      const int error = runConverter(&in, &left, out);
      if (error == EILSEQ) {
        out += kReplacementUtf8;
        ++in;
        --left;
      } else if (error == EINVAL) {
        held_.assign(in, left);
        return;
      } else if (error != 0) {
        throw std::runtime_error("cannot convert the input's encoding");
      }
    }
  }

  // One call of iconv, the output growing as it needs; 0 or the errno
  // that stopped it.
  int runConverter(char** in, std::size_t* left, std::string& out) {
    for (;;) {
      const std::size_t room = (left != nullptr ? *left : 0) * 4 + 64;
      const std::size_t used = out.size();
      out.resize(used + room);
      char* to = out.data() + used;
      std::size_t toLeft = room;
      const std::size_t result = iconv(converter_, in, left, &to, &toLeft);
      out.resize(used + (room - toLeft));
      if (result != static_cast<std::size_t>(-1)) return 0;
      if (errno != E2BIG) return errno;
    }
  }

  iconv_t converter_;
  std::string joined_;
  std::string held_;
};

}  // namespace

bool isDefaultEncoding(std::string_view name) {
  std::string letters;
  for (const char c : name) {
    if (c == '-' || c == '_') continue;
    letters += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  return letters == "UTF8";
}

bool isKnownEncoding(const std::string& name) {
  if (isDefaultEncoding(name)) return true;
  iconv_t converter = openConverter(name);
  if (noConverter(converter)) return false;
  iconv_close(converter);
  return true;
}

std::unique_ptr<InputDecoder> makeEncodingDecoder(const std::string& name) {
  if (name.empty() || isDefaultEncoding(name)) return nullptr;
  iconv_t converter = openConverter(name);
  if (noConverter(converter)) {
    throw std::invalid_argument("unknown encoding " + quoted(name));
  }
  return std::make_unique<IconvDecoder>(converter);
}

}  // namespace kolvo
