#pragma once
// The common layer under the render framework: the component base, the
// report-file exception, the message hook and the variable value holder.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Exception.h"

namespace tal {

// The error raised for a report stream that does not follow the file format.
class EReportPrinter : public Exception {
public:
    using Exception::Exception;
};

// Every numbered converter message passes through this hook before it is
// formatted, so that an application may translate the texts. At start-up it
// returns its input unchanged.
using TMessageTextHook = std::string (*)(const std::string& text);
extern TMessageTextHook MessageTextHook;

[[noreturn]] void RaiseReportError(const std::string& message);
// Passes the template through the hook, formats it with value (one "%d"),
// and raises EReportPrinter.
[[noreturn]] void RaiseReportError(const std::string& messageTemplate, std::uint32_t value);

inline constexpr const char* SUnexpectedHeaderCode = "Unexpected header code [%d] found in report file.";
inline constexpr const char* SUnexpectedCode = "Unexpected code [%d] found in report file.";
inline constexpr const char* SUnexpectedPageCode = "Unexpected code found in report file.";

// Holds the value of one report variable.
class TRPStringObject {
public:
    explicit TRPStringObject(std::string value) : FStoredText(std::move(value)) {}
    std::string FStoredText;
};

// The component base: an object with an owner and a name.
class TRpComponent {
public:
    explicit TRpComponent(TRpComponent* owner = nullptr) : FOwner(owner) {}
    virtual ~TRpComponent() = default;
    TRpComponent(const TRpComponent&) = delete;
    TRpComponent& operator=(const TRpComponent&) = delete;

    TRpComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }

    // Always "5.0.06 (VCL5)": the setter ignores what it is given.
    const std::string& Version() const { return FVersion; }
    void SetVersion(const std::string&) {}

private:
    TRpComponent* FOwner;
    std::string FName;
    std::string FVersion = "5.0.06 (VCL5)";
};

}  // namespace tal
