#include "front/FrontText.h"

#include "front/Utf8.h"

namespace tal::front {

std::string CutText(std::string_view text) {
    std::size_t at = 0;
    for (std::size_t count = 0; at < text.size() && count < MaxTextLength; ++count)
        at += NextUtf8Char(text, at).Length;
    return std::string(text.substr(0, at));
}

}  // namespace tal::front
