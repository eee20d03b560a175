// The page-selection expression: numbers, ranges (3-5, 4-, -3) and the words
// ALL, EVEN and ODD, separated by commas.
#include <charconv>

#include "platform/CodePage.h"
#include "render/RpConverter.h"
#include "render/RpRender.h"

namespace tal {

namespace {

std::int32_t SelectionNumber(const std::string& token) {
    std::int32_t value = 0;
    const char* begin = token.data();
    const char* end = begin + token.size();
    // Leading and trailing blanks are tolerated, as the platform's integer conversion does.
    while (begin < end && *begin == ' ') ++begin;
    while (end > begin && end[-1] == ' ') --end;
    if (begin < end && *begin == '+') ++begin;
    const auto result = std::from_chars(begin, end, value);
    if (begin == end || result.ec != std::errc() || result.ptr != end)
        throw EConvertError("'" + token + "' is not a valid integer value");
    return value;
}

}  // namespace

bool TRPConverter::IsPageSelected(std::int32_t PageNo) {
    const std::string& selection = FRenderTarget->FPageSelection;
    if (selection.empty()) return FHeaderFirstPage <= PageNo && PageNo <= FHeaderLastPage;

    std::string token;
    std::int32_t rangeStart = -1;
    bool result = false;
    for (std::size_t i = 0; i <= selection.size(); ++i) {
        const bool atEnd = i == selection.size();
        const char c = atEnd ? ',' : selection[i];
        if (c == '-') {
            rangeStart = token.empty() ? 1 : SelectionNumber(token);
            token.clear();
            continue;
        }
        if (c != ',') {
            token += c;
            continue;
        }
        token = UpperCase1252(token);
        if (token.empty()) {
            if (rangeStart > -1) result = rangeStart <= PageNo;
        } else if (token == "E" || token == "EVEN") {
            result = PageNo % 2 == 0;
        } else if (token == "O" || token == "ODD") {
            result = PageNo % 2 != 0;
        } else if (token == "A" || token == "ALL") {
            result = true;
        } else if (token != "R") {
            const std::int32_t n = SelectionNumber(token);
            result = rangeStart > -1 ? (rangeStart <= PageNo && PageNo <= n) : n == PageNo;
        }
        rangeStart = -1;
        token.clear();
        if (result) return true;
    }
    return result;
}

}  // namespace tal
