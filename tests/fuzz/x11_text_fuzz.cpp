// Window properties as another client may set them: any type, format, count and bytes.
#include <cstdlib>
#include <cstring>

#include "fuzz_check.h"
#include "runtime/qt/x11_property_decoding.h"

using namespace quorvel::runtime::qt;

namespace {

constexpr TextAtoms kAtoms{300, 301};
constexpr std::uint32_t kTypes[] = {kAtoms.utf8String, kAtoms.compoundText, kStringAtom, 33, 0};

}  // namespace

// Input: type selector, format, 4-byte item count, then the value's bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) {
        return 0;
    }
    PropertyReply reply;
    reply.type = kTypes[data[0] % std::size(kTypes)];
    reply.format = data[1];
    std::memcpy(&reply.items, data + 2, 4);
    reply.value = std::span(data + 6, size - 6);
    if (data[0] & 0x80) {
        // Mostly a count that matches the bytes, so that decoding itself is reached.
        reply.format = 8;
        reply.items = static_cast<std::uint32_t>(reply.value.size());
    }

    const auto text = decodeText(reply, kAtoms);
    if (text) {
        check(isUtf8(*text));
        check(reply.format == 8 && reply.items <= reply.value.size());
        const std::string_view raw(reinterpret_cast<const char*>(reply.value.data()), reply.items);
        if (reply.type == kAtoms.utf8String) {
            check(*text == raw);
        } else if (reply.type == kStringAtom) {
            check(text->size() >= raw.size() && text->size() <= raw.size() * 2);
        }
    }
    const auto list = decodeList(reply);
    if (!list.empty()) {
        check(reply.format == 32 && list.size() == reply.items);
        check(std::memcmp(list.data(), reply.value.data(), list.size() * 4) == 0);
    }
    return 0;
}
