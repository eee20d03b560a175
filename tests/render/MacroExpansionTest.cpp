// Macro markers: the one-pass expansion gives what replacing the first
// marker of each kind over and over gives, on texts and chains of values
// made of whole markers, and stays bounded on values that name themselves.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "platform/Exception.h"
#include "render/MacroExpansion.h"
#include "tools/ndrwriter/NdrWriter.h"

namespace tal {
namespace {

using ndrwriter::BuiltInMacro;
using ndrwriter::VariableMacro;

// The expansion as it was first written: each pass replaces the first
// built-in marker, then the first variable marker, and starts again from
// the beginning. Quadratic, so it only serves small texts here.
struct TRepeatedPasses {
    const TMacroValues& Values;
    int Replacements = 0;

    std::string Expand(std::string text) {
        for (;;) {
            bool found = false;
            if (const std::size_t p = text.find("\xFD$RPCM"); p != std::string::npos) {
                found = true;
                const std::string digits = text.substr(std::min(p + 6, text.size()), 2);
                int code = 0;
                for (char c : digits) {
                    if (c < '0' || c > '9') throw EConvertError("'" + digits + "' is not a valid integer value");
                    code = code * 10 + (c - '0');
                }
                text.erase(p, 8);
                if (Replacements++ < MaxMacroExpansions) text.insert(p, Values.BuiltIn(code & 0xFF));
            }
            if (const std::size_t q = text.find("\xFD$RPCV"); q != std::string::npos) {
                found = true;
                std::size_t i = q + 6;
                std::string name;
                if (i + 1 < text.size() && text[i] == '\xFC') {
                    const std::size_t end = text.find('\xFB', i + 1);
                    name = text.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
                    i = end == std::string::npos ? text.size() : end;
                }
                text.erase(q, i >= text.size() ? std::string::npos : i - q + 1);
                if (Replacements++ < MaxMacroExpansions) text.insert(q, Values.Variable(name));
            }
            if (!found) return text;
        }
    }
};

struct TFixture {
    std::map<std::string, std::string> Variables;
    int Calls = 0;
    TMacroValues Values {[this](int code) { ++Calls; return code == 40 ? std::string() : "<" + std::to_string(code) + ">"; },
                         [this](const std::string& name) {
                             ++Calls;
                             const auto found = Variables.find(name);
                             return found == Variables.end() ? std::string() : found->second;
                         }};
    std::string Expand(std::string_view text) { return ExpandMacroMarkers(text, Values); }
};

TEST(MacroExpansion, MarkersAtTheEndAndMarkersWithoutName) {
    TFixture f;
    f.Variables["n"] = "N";
    EXPECT_EQ(f.Expand("Page " + BuiltInMacro(11) + " of " + BuiltInMacro(10)), "Page <11> of <10>");
    EXPECT_EQ(f.Expand("[" + VariableMacro("n") + "][" + VariableMacro("none") + "]"), "[N][]");
    // Digits cut by the end of the text: one digit, then none (code 0).
    EXPECT_EQ(f.Expand("a\xFD$RPCM7"), "a<7>");
    EXPECT_EQ(f.Expand("a\xFD$RPCM"), "a<0>");
    // No FC, or FC as the last byte: the marker goes with one byte.
    EXPECT_EQ(f.Expand("\xFD$RPCVz tail"), " tail");
    EXPECT_EQ(f.Expand("a\xFD$RPCV\xFC"), "a");
    EXPECT_EQ(f.Expand("a\xFD$RPCV"), "a");
    // A name without FB runs to the end.
    EXPECT_EQ(f.Expand("a\xFD$RPCV\xFCn and more"), "a");
    EXPECT_THROW(f.Expand("x\xFD$RPCMab"), EConvertError);
    EXPECT_EQ(f.Expand("no markers \xFD$RPC at all"), "no markers \xFD$RPC at all");
}

TEST(MacroExpansion, ValuesThatCompleteAMarkerWithTheTextAroundThem) {
    TFixture f;
    f.Variables["tail"] = "CM12";
    f.Variables["head"] = "\xFD$RP";
    f.Variables["empty"] = "";
    for (const std::string& text : {"x\xFD$RP" + VariableMacro("tail") + "y", VariableMacro("head") + "CM12y",
                                   "\xFD$R" + VariableMacro("empty") + "PCM12" + VariableMacro("empty") + "!"}) {
        TFixture reference = f;
        EXPECT_EQ(f.Expand(text), TRepeatedPasses {reference.Values}.Expand(text)) << text;
    }
    EXPECT_EQ(f.Expand("x\xFD$RP" + VariableMacro("tail") + "y"), "x<12>y");
}

// Random texts of plain bytes and whole markers, with variables whose values
// hold further markers (chains, also cycles that reach the bound): the same
// text as the repeated passes wherever the bound is not reached.
TEST(MacroExpansion, SameResultAsRepeatedPassesOnRandomChains) {
    std::mt19937 random(11);
    const std::vector<std::string> names {"a", "B", "cc", "unknown"};
    auto piece = [&](int depth) {
        switch (random() % 6) {
            case 0: return BuiltInMacro(static_cast<int>(random() % 45));
            case 1:
            case 2: return VariableMacro(names[random() % names.size()]);
            case 3: return std::string(1, "xyz \xFC\xFB"[random() % 6]);
            default: return depth > 0 ? std::string("plain") : std::string("t");
        }
    };
    int compared = 0;
    for (int round = 0; round < 3000; ++round) {
        TFixture f;
        for (const auto& name : names) {
            std::string value;
            for (int k = static_cast<int>(random() % 4); k > 0; --k) value += piece(0);
            if (name != "unknown") f.Variables[name] = value;
        }
        std::string text;
        for (int k = static_cast<int>(random() % 12); k > 0; --k) text += piece(1);
        TFixture reference = f;
        TRepeatedPasses passes {reference.Values};
        const std::string expected = passes.Expand(text);
        if (passes.Replacements >= MaxMacroExpansions) continue;
        ++compared;
        ASSERT_EQ(f.Expand(text), expected) << "round " << round;
    }
    EXPECT_GT(compared, 2000);
}

TEST(MacroExpansion, AValueNamingItselfStopsAfterTheBound) {
    TFixture f;
    // Each replacement inserts one "a" and the marker again: the first 1000
    // replacements insert, the marker left then goes.
    f.Variables["X"] = "a" + VariableMacro("X");
    EXPECT_EQ(f.Expand("<" + VariableMacro("X") + ">"), "<" + std::string(1000, 'a') + ">");
    EXPECT_EQ(f.Calls, MaxMacroExpansions);

    // Twelve markers a value: the inserted bytes reach their bound first (150
    // values of 109 bytes), and more than 1800 markers are left to remove.
    f.Variables["Y"] = "b";
    for (int k = 0; k < 12; ++k) f.Variables["Y"] += VariableMacro("Y");
    const std::size_t length = f.Variables["Y"].size();
    ASSERT_EQ(length, 109u);
    f.Calls = 0;
    EXPECT_EQ(f.Expand("<" + VariableMacro("Y") + ">"), "<" + std::string(MaxMacroGrowth / length, 'b') + ">");
    EXPECT_EQ(f.Calls, static_cast<int>(MaxMacroGrowth / length) + 1);

    // Sixty kilobytes of markers: the repeated passes would move the whole
    // text once per marker (more than 12,000 times).
    std::string text;
    for (int k = 0; k < 6000; ++k) text += VariableMacro("X") + BuiltInMacro(11);
    f.Calls = 0;
    EXPECT_EQ(f.Expand(text), std::string(1000, 'a'));
    EXPECT_EQ(f.Calls, MaxMacroExpansions);
}

TEST(MacroExpansion, InsertedBytesAreBounded) {
    TFixture f;
    const std::string big(MaxMacroGrowth - 1, 'b');
    TMacroValues values {[&](int) { return big; }, [](const std::string&) { return std::string("v"); }};
    // The second value would pass the growth bound: it and every later
    // marker are removed, even small ones.
    const std::string text = BuiltInMacro(1) + "|" + BuiltInMacro(2) + "|" + VariableMacro("s") + "|";
    EXPECT_EQ(ExpandMacroMarkers(text, values), big + "|||");
    const std::string small = BuiltInMacro(1) + VariableMacro("s");
    EXPECT_EQ(ExpandMacroMarkers(small, values), big + "v");
}

}  // namespace
}  // namespace tal
