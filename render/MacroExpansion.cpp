// One left-to-right pass: the bytes still to read are kept reversed, so the
// next byte is the last one, a value is put in front of the rest by
// appending it reversed, and every byte is moved, read and written a bounded
// number of times.
#include "render/MacroExpansion.h"

#include <algorithm>

#include "platform/Exception.h"

namespace tal {

namespace {

constexpr std::string_view BuiltInMarker = "\xFD$RPCM";
constexpr std::string_view VariableMarker = "\xFD$RPCV";
constexpr char VariableNameStart = '\xFC';
constexpr char VariableNameEnd = '\xFB';
// A marker is six bytes: a replacement can complete one that began in the
// last five bytes written, so those are read again after it.
constexpr std::size_t MarkerReach = BuiltInMarker.size() - 1;

class TExpansion {
public:
    TExpansion(std::string_view text, const TMacroValues& values) : FRest(text.rbegin(), text.rend()), FValues(values) {
        FOut.reserve(text.size());
    }

    std::string Run() {
        while (!FRest.empty()) {
            if (FRest.back() != '\xFD') {
                FOut.push_back(FRest.back());
                FRest.pop_back();
            } else if (StartsWith(BuiltInMarker)) {
                const int code = TakeBuiltIn();
                Replace(Allowed() ? FValues.BuiltIn(code) : std::string());
            } else if (StartsWith(VariableMarker)) {
                const std::string name = TakeVariable();
                Replace(Allowed() ? FValues.Variable(name) : std::string());
            } else {
                FOut.push_back(FRest.back());
                FRest.pop_back();
            }
        }
        return std::move(FOut);
    }

private:
    // The k-th byte still to read (0 is the next one).
    char Peek(std::size_t k) const { return FRest[FRest.size() - 1 - k]; }
    bool Has(std::size_t k) const { return k < FRest.size(); }

    bool StartsWith(std::string_view marker) const {
        if (!Has(marker.size() - 1)) return false;
        for (std::size_t k = 0; k < marker.size(); ++k)
            if (Peek(k) != marker[k]) return false;
        return true;
    }

    void Drop(std::size_t count) { FRest.resize(FRest.size() - std::min(count, FRest.size())); }

    // The two characters after the marker (fewer at the end of the text) are
    // its code; they go with the marker.
    int TakeBuiltIn() {
        std::string digits;
        for (std::size_t k = BuiltInMarker.size(); k < BuiltInMarker.size() + 2 && Has(k); ++k) digits += Peek(k);
        int code = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') throw EConvertError("'" + digits + "' is not a valid integer value");
            code = code * 10 + (c - '0');
        }
        Drop(BuiltInMarker.size() + 2);
        return code & 0xFF;
    }

    // The name runs from the byte after FC to the next FB (or the end); the
    // marker goes with its name and FB. Without FC (or with FC as the last
    // byte) the name is empty and the marker goes with the one byte after it.
    std::string TakeVariable() {
        const std::size_t i = VariableMarker.size();
        std::string name;
        if (Has(i + 1) && Peek(i) == VariableNameStart) {
            Drop(i + 1);
            while (!FRest.empty() && FRest.back() != VariableNameEnd) {
                name += FRest.back();
                FRest.pop_back();
            }
            Drop(1);
        } else {
            Drop(i + 1);
        }
        return name;
    }

    bool Allowed() const { return FExpansions < MaxMacroExpansions && !FGrowthSpent; }

    void Replace(const std::string& value) {
        const bool insert = Allowed() && FGrowth + value.size() <= MaxMacroGrowth;
        if (Allowed() && !insert) FGrowthSpent = true;
        ++FExpansions;
        if (insert) {
            FGrowth += value.size();
            FRest.append(value.rbegin(), value.rend());
        }
        // Only a tail holding byte FD can begin a marker.
        const std::size_t reach = std::min(MarkerReach, FOut.size());
        if (FOut.find('\xFD', FOut.size() - reach) == std::string::npos) return;
        for (std::size_t k = 0; k < reach; ++k) {
            FRest.push_back(FOut.back());
            FOut.pop_back();
        }
    }

    std::string FRest;  // reversed: the next byte is the last
    std::string FOut;
    const TMacroValues& FValues;
    int FExpansions = 0;
    std::size_t FGrowth = 0;
    bool FGrowthSpent = false;
};

}  // namespace

std::string ExpandMacroMarkers(std::string_view text, const TMacroValues& values) {
    return TExpansion(text, values).Run();
}

}  // namespace tal
