#include "runtime/qt/x11_property_decoding.h"

#include <iconv.h>

#include <cstring>
#include <memory>

namespace quorvel::runtime::qt {

namespace {

constexpr std::uint8_t kEsc = 0x1b;
constexpr std::uint8_t kCsi = 0x9b;

// The bytes the reply says it holds, if it really holds them.
std::optional<std::span<const std::uint8_t>> heldBytes(const PropertyReply& reply,
                                                       std::uint8_t format) {
    if (reply.type == 0 || reply.format != format) {
        return std::nullopt;
    }
    const std::uint64_t size = std::uint64_t{reply.items} * (format / 8);
    if (size > reply.value.size()) {
        return std::nullopt;
    }
    return reply.value.first(static_cast<std::size_t>(size));
}

// Appends the bytes, in the named encoding, as UTF-8; false if they are not valid in it.
bool appendConverted(const char* encoding, const std::string& bytes, std::string& out) {
    const iconv_t descriptor = iconv_open("UTF-8", encoding);
    if (descriptor == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    const std::unique_ptr<void, int (*)(iconv_t)> closer(descriptor, &iconv_close);
    std::string input = bytes;
    char* in = input.data();
    std::size_t inLeft = input.size();
    // Four UTF-8 bytes at most for each input byte.
    std::string converted(input.size() * 4, '\0');
    char* outPtr = converted.data();
    std::size_t outLeft = converted.size();
    if (iconv(descriptor, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0) {
        return false;
    }
    out.append(converted.data(), converted.size() - outLeft);
    return true;
}

// A character set of compound text and how its codes are written in an encoding iconv knows.
struct Charset {
    const char* encoding;  // nullptr: the codes are ASCII itself
    int width;             // bytes per character
    bool ninetySix;        // codes 0x20 and 0x7f are characters too
    bool highBit;          // the encoding writes the codes with their high bit set
    const char* prefix;    // put before each character (EUC-JP's single shift for katakana)
};

constexpr Charset kAscii{nullptr, 1, false, false, ""};
constexpr Charset kLatin1{"ISO-8859-1", 1, true, true, ""};

bool sameEncoding(const Charset& a, const Charset& b) {
    if (a.encoding == nullptr || b.encoding == nullptr) {
        return a.encoding == b.encoding;
    }
    return std::strcmp(a.encoding, b.encoding) == 0;
}

std::optional<Charset> ninetyFourSet(std::uint8_t final) {
    switch (final) {
        case 'B':
            return kAscii;
        case 'J':
            return Charset{"JIS_C6220-1969-RO", 1, false, false, ""};
        case 'I':
            return Charset{"EUC-JP", 1, false, true, "\x8e"};
        default:
            return std::nullopt;
    }
}

std::optional<Charset> ninetySixSet(std::uint8_t final) {
    switch (final) {
        case 'A':
            return kLatin1;
        case 'B':
            return Charset{"ISO-8859-2", 1, true, true, ""};
        case 'C':
            return Charset{"ISO-8859-3", 1, true, true, ""};
        case 'D':
            return Charset{"ISO-8859-4", 1, true, true, ""};
        case 'F':
            return Charset{"ISO-8859-7", 1, true, true, ""};
        case 'G':
            return Charset{"ISO-8859-6", 1, true, true, ""};
        case 'H':
            return Charset{"ISO-8859-8", 1, true, true, ""};
        case 'L':
            return Charset{"ISO-8859-5", 1, true, true, ""};
        case 'M':
            return Charset{"ISO-8859-9", 1, true, true, ""};
        case 'b':
            return Charset{"ISO-8859-15", 1, true, true, ""};
        default:
            return std::nullopt;
    }
}

std::optional<Charset> doubleByteSet(std::uint8_t final) {
    switch (final) {
        case 'A':
            return Charset{"EUC-CN", 2, false, true, ""};
        case 'B':
            return Charset{"EUC-JP", 2, false, true, ""};
        case 'C':
            return Charset{"EUC-KR", 2, false, true, ""};
        default:
            return std::nullopt;
    }
}

// Compound text (the X Consortium's ISO 2022 subset): GL starts as ASCII, GR as Latin-1;
// escape sequences designate other sets, and "ESC % G" opens a UTF-8 segment.
class CompoundTextDecoder {
  public:
    explicit CompoundTextDecoder(std::span<const std::uint8_t> text) : text_(text) {}

    std::optional<std::string> decode() {
        while (at_ < text_.size()) {
            const std::uint8_t byte = text_[at_];
            bool ok = true;
            if (byte == kEsc) {
                ok = escape();
            } else if (byte == kCsi) {
                ok = direction();
            } else if (byte == '\t' || byte == '\n' || byte == ' ') {
                ok = flush();
                out_.push_back(static_cast<char>(byte));
                ++at_;
            } else if (byte >= 0x21 && byte <= 0x7f) {
                ok = character(gl_);
            } else if (byte >= 0xa0) {
                ok = character(gr_);
            } else {
                ok = false;  // other controls have no place in compound text
            }
            if (!ok) {
                return std::nullopt;
            }
        }
        if (!flush()) {
            return std::nullopt;
        }
        return std::move(out_);
    }

  private:
    std::size_t left() const { return text_.size() - at_; }

    bool character(const Charset& set) {
        if (left() < static_cast<std::size_t>(set.width)) {
            return false;
        }
        if (!sameEncoding(pendingSet_, set)) {
            if (!flush()) {
                return false;
            }
            pendingSet_ = set;
        }
        const bool inGr = (text_[at_] & 0x80) != 0;
        pending_ += set.prefix;
        for (int i = 0; i < set.width; ++i) {
            const std::uint8_t byte = text_[at_++];
            const std::uint8_t code = byte & 0x7f;
            const bool inSet = set.ninetySix ? code >= 0x20 : (code > 0x20 && code < 0x7f);
            if (((byte & 0x80) != 0) != inGr || !inSet) {
                return false;  // a character split across GL and GR, or outside its set
            }
            pending_.push_back(static_cast<char>(set.highBit ? (code | 0x80) : code));
        }
        return true;
    }

    bool flush() {
        if (pending_.empty()) {
            return true;
        }
        bool ok = true;
        if (pendingSet_.encoding == nullptr) {
            out_ += pending_;
        } else {
            ok = appendConverted(pendingSet_.encoding, pending_, out_);
        }
        pending_.clear();
        return ok;
    }

    bool escape() {
        const auto byteAt = [this](std::size_t offset) -> int {
            return at_ + offset < text_.size() ? text_[at_ + offset] : -1;
        };
        const int first = byteAt(1);
        const int second = byteAt(2);
        std::optional<Charset> set;
        Charset* target = nullptr;
        std::size_t length = 3;
        if (first == '(' || first == ')') {
            set = second < 0 ? std::nullopt : ninetyFourSet(static_cast<std::uint8_t>(second));
            target = first == '(' ? &gl_ : &gr_;
        } else if (first == '-') {
            set = second < 0 ? std::nullopt : ninetySixSet(static_cast<std::uint8_t>(second));
            target = &gr_;
        } else if (first == '$' && (second == '(' || second == ')')) {
            const int third = byteAt(3);
            set = third < 0 ? std::nullopt : doubleByteSet(static_cast<std::uint8_t>(third));
            target = second == '(' ? &gl_ : &gr_;
            length = 4;
        } else if (first == '%' && second == 'G') {
            return utf8Segment();
        }
        if (!set) {
            return false;  // a set this decoder cannot turn into Unicode
        }
        *target = *set;
        at_ += length;
        return true;
    }

    // "ESC % G", UTF-8 up to "ESC % @" or the end.
    bool utf8Segment() {
        if (!flush()) {
            return false;
        }
        at_ += 3;
        const std::size_t start = at_;
        std::size_t end = text_.size();
        for (std::size_t i = start; i + 2 < text_.size(); ++i) {
            if (text_[i] == kEsc && text_[i + 1] == '%' && text_[i + 2] == '@') {
                end = i;
                break;
            }
        }
        const std::string_view segment(reinterpret_cast<const char*>(text_.data()) + start,
                                       end - start);
        if (!isUtf8(segment)) {
            return false;
        }
        out_ += segment;
        at_ = end == text_.size() ? end : end + 3;
        return true;
    }

    // "CSI 1 ]", "CSI 2 ]" and "CSI ]" only change the direction of display: skipped.
    bool direction() {
        ++at_;
        if (left() >= 2 && (text_[at_] == '1' || text_[at_] == '2') && text_[at_ + 1] == ']') {
            at_ += 2;
            return true;
        }
        if (left() >= 1 && text_[at_] == ']') {
            ++at_;
            return true;
        }
        return false;
    }

    std::span<const std::uint8_t> text_;
    std::size_t at_ = 0;
    Charset gl_ = kAscii;
    Charset gr_ = kLatin1;
    Charset pendingSet_ = kAscii;
    std::string pending_;
    std::string out_;
};

}  // namespace

bool isUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        std::size_t length = 0;
        std::uint32_t value = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2, value = lead & 0x1fu;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3, value = lead & 0x0fu;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4, value = lead & 0x07u;
        } else {
            return false;
        }
        if (bytes.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(bytes[i + k]);
            if ((next & 0xc0) != 0x80) {
                return false;
            }
            value = (value << 6) | (next & 0x3fu);
        }
        const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
        const bool surrogate = value >= 0xd800 && value <= 0xdfff;
        if (overlong || surrogate || value > 0x10ffff) {
            return false;
        }
        i += length;
    }
    return true;
}

std::optional<std::string> decodeText(const PropertyReply& reply, const TextAtoms& atoms) {
    const auto bytes = heldBytes(reply, 8);
    if (!bytes) {
        return std::nullopt;
    }
    const std::string_view raw(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    if (reply.type == atoms.utf8String) {
        return isUtf8(raw) ? std::optional<std::string>(raw) : std::nullopt;
    }
    if (reply.type == kStringAtom) {
        std::string out;
        for (const char c : raw) {
            const auto byte = static_cast<std::uint8_t>(c);
            if (byte < 0x80) {
                out.push_back(c);
            } else {
                out.push_back(static_cast<char>(0xc0 | (byte >> 6)));
                out.push_back(static_cast<char>(0x80 | (byte & 0x3f)));
            }
        }
        return out;
    }
    if (reply.type == atoms.compoundText) {
        return CompoundTextDecoder(*bytes).decode();
    }
    return std::nullopt;
}

std::vector<std::uint32_t> decodeList(const PropertyReply& reply) {
    const auto bytes = heldBytes(reply, 32);
    if (!bytes) {
        return {};
    }
    std::vector<std::uint32_t> items(bytes->size() / 4);
    if (items.empty()) {
        return items;
    }
    std::memcpy(items.data(), bytes->data(), items.size() * 4);
    return items;
}

}  // namespace quorvel::runtime::qt
