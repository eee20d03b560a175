#include "render/PageSelection.h"

#include <charconv>

#include "platform/CodePage.h"
#include "platform/Exception.h"
#include "render/RpConverter.h"
#include "render/RpRender.h"

namespace tal {

namespace {

// The platform's conversion error, with the part as it was typed.
[[noreturn]] void RaiseFaultyPart(const std::string& part) {
    throw EConvertError("'" + part + "' is not a valid integer value");
}

std::int32_t SelectionNumber(const std::string& token) {
    std::int32_t value = 0;
    const char* begin = token.data();
    const char* end = begin + token.size();
    // Leading and trailing blanks are tolerated, as the platform's integer conversion does.
    while (begin < end && *begin == ' ') ++begin;
    while (end > begin && end[-1] == ' ') --end;
    if (begin < end && *begin == '+') ++begin;
    const auto result = std::from_chars(begin, end, value);
    if (begin == end || result.ec != std::errc() || result.ptr != end) RaiseFaultyPart(token);
    return value;
}

enum class TWord { None, Even, Odd, All, Repeat };

TWord WordOf(const std::string& token) {
    const std::string word = UpperCase1252(token);
    if (word == "E" || word == "EVEN") return TWord::Even;
    if (word == "O" || word == "ODD") return TWord::Odd;
    if (word == "A" || word == "ALL") return TWord::All;
    if (word == "R") return TWord::Repeat;
    return TWord::None;
}

// Walks the selection part by part. Each part ends at a comma or the end;
// "-" makes what stands before it the start of a range. Visit gets the
// range start (-1 for none) and the part as typed, and returns true to stop.
template <class TVisit>
void ScanSelection(const std::string& selection, TVisit visit) {
    std::string token;
    std::int32_t rangeStart = -1;
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
        if (visit(rangeStart, token)) return;
        rangeStart = -1;
        token.clear();
    }
}

}  // namespace

void ValidatePageSelection(const std::string& selection) {
    ScanSelection(selection, [&](std::int32_t, const std::string& token) {
        if (!token.empty() && WordOf(token) == TWord::None) SelectionNumber(token);
        return false;
    });
}

bool PageSelectionNames(const std::string& selection, std::int32_t PageNo) {
    bool result = false;
    ScanSelection(selection, [&](std::int32_t rangeStart, const std::string& token) {
        if (token.empty()) {
            if (rangeStart > -1) result = rangeStart <= PageNo;
        } else {
            switch (WordOf(token)) {
                case TWord::Even: result = PageNo % 2 == 0; break;
                case TWord::Odd: result = PageNo % 2 != 0; break;
                case TWord::All: result = true; break;
                case TWord::Repeat: break;
                case TWord::None: {
                    const std::int32_t n = SelectionNumber(token);
                    result = rangeStart > -1 ? (rangeStart <= PageNo && PageNo <= n) : n == PageNo;
                }
            }
        }
        return result;  // the first part that names the page decides
    });
    return result;
}

std::int32_t CountSelectedPages(const std::string& selection, std::int32_t PageCount) {
    std::int32_t count = 0;
    for (std::int32_t page = 1; page <= PageCount; ++page)
        if (PageSelectionNames(selection, page)) ++count;
    return count;
}

void CheckPageSelection(const std::string& selection, std::int32_t PageCount) {
    if (selection.empty()) return;
    ValidatePageSelection(selection);
    if (PageCount <= 0 || CountSelectedPages(selection, PageCount) > 0) return;
    throw Exception("The page selection \"" + selection + "\" names no page of the report, which has " +
                    std::to_string(PageCount) + (PageCount == 1 ? " page" : " pages"));
}

bool TRPConverter::IsPageSelected(std::int32_t PageNo) {
    const std::string& selection = FRenderTarget->FPageSelection;
    if (selection.empty()) return FHeaderFirstPage <= PageNo && PageNo <= FHeaderLastPage;
    return PageSelectionNames(selection, PageNo);
}

}  // namespace tal
