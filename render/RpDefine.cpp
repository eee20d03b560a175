#include "render/RpDefine.h"

#include "platform/Format.h"

namespace tal {

namespace {
std::string UnchangedText(const std::string& text) { return text; }
}  // namespace

TMessageTextHook MessageTextHook = &UnchangedText;

void RaiseReportError(const std::string& message) { throw EReportPrinter(message); }

void RaiseReportError(const std::string& messageTemplate, std::uint32_t value) {
    const std::string text = MessageTextHook ? MessageTextHook(messageTemplate) : messageTemplate;
    RaiseReportError(Format(text, {value}));
}

}  // namespace tal
