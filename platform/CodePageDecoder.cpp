#include "platform/CodePageDecoder.h"

#include <iconv.h>

#include <cstdint>
#include <memory>

namespace tal {

namespace {

struct TIconvCloser {
    void operator()(iconv_t handle) const { iconv_close(handle); }
};
using TIconv = std::unique_ptr<std::remove_pointer_t<iconv_t>, TIconvCloser>;

TIconv OpenConverter(TCodePage codePage) {
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t handle = iconv_open("UTF-32LE", name.c_str());
    if (handle == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return TIconv(handle);
}

// One character of one or two bytes; ReplacementCharacter when the code page
// does not define it or it gives more than one character.
char32_t ConvertOne(iconv_t handle, const char* bytes, std::size_t length) {
    iconv(handle, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
    char* in = const_cast<char*>(bytes);
    std::size_t inLeft = length;
    unsigned char out[8] = {};
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    if (iconv(handle, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0 ||
        outLeft != sizeof out - 4)
        return ReplacementCharacter;
    return static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<std::uint32_t>(out[3]) << 24));
}

}  // namespace

const std::vector<char32_t>& TCodePageDecoder::Table(TCodePage codePage) {
    if (auto found = FTables.find(codePage); found != FTables.end()) return found->second;
    const bool doubleByte = IsDoubleByteCodePage(codePage);
    std::vector<char32_t> table(doubleByte ? 0x10000 : 0x100, ReplacementCharacter);
    const TIconv converter = OpenConverter(codePage);
    for (unsigned b = 0; b < 0x100; ++b) {
        const char single = static_cast<char>(b);
        if (!converter) {
            const char32_t c = Windows1252ToUnicode(static_cast<std::uint8_t>(b));
            table[b] = c != 0 || b == 0 ? c : static_cast<char32_t>(b);
            continue;
        }
        if (!IsLeadByte(static_cast<std::uint8_t>(b), codePage)) {
            table[b] = ConvertOne(converter.get(), &single, 1);
            continue;
        }
        for (unsigned trail = 0; trail < 0x100; ++trail) {
            const char pair[2] = {single, static_cast<char>(trail)};
            table[b * 0x100 + trail] = ConvertOne(converter.get(), pair, 2);
        }
    }
    return FTables.emplace(codePage, std::move(table)).first->second;
}

std::u32string TCodePageDecoder::Decode(std::string_view text, TCodePage codePage) {
    const std::vector<char32_t>& table = Table(codePage);
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        if (!IsLeadByte(lead, codePage)) out += table[lead];
        else if (i + 1 == text.size()) out += ReplacementCharacter;  // its trail byte is missing
        else out += table[lead * 0x100u + static_cast<std::uint8_t>(text[++i])];
    }
    return out;
}

}  // namespace tal
