// Report text: macros that are replaced when a text is read, inline format
// marks that split a text into runs with different fonts, measuring, and the
// layout of formatted and justified text through the renderer's text calls.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/DateFormat.h"
#include "render/MacroExpansion.h"
#include "render/RpConverter.h"
#include "render/RpRender.h"

namespace tal {

namespace {

constexpr char MarkOpen = '\x01';
constexpr char MarkSeparator = '\x02';
constexpr char MarkIgnored = '\x03';
constexpr char MarkClose = '\x04';

bool ParameterIsOn(const std::string& parameter) { return parameter == "1"; }

}  // namespace

void TRPConverter::ExpandMacros(std::string& Text) {
    if (Text.find('\xFD') == std::string::npos) return;
    Text = ExpandMacroMarkers(Text, {[this](int code) { return MacroValue(code); },
                                     [this](const std::string& name) { return GetVariable(name); }});
}

std::string TRPConverter::MacroValue(int Code) {
    switch (Code) {
        case 0: return FormatDateTime(TDateTimeForm::ShortDate, FStartTime);
        case 1: return FormatDateTime(TDateTimeForm::LongDate, FStartTime);
        case 2: return FormatDateTime(TDateTimeForm::MonthDayYear, FStartTime);
        case 3: return FormatDateTime(TDateTimeForm::DayMonthYear, FStartTime);
        case 4: return FormatDateTime(TDateTimeForm::ShortTime, FStartTime);
        case 5: return FormatDateTime(TDateTimeForm::LongTime, FStartTime);
        case 6: return FormatDateTime(TDateTimeForm::Clock12, FStartTime);
        case 7: return FormatDateTime(TDateTimeForm::Clock24, FStartTime);
        case 8: return std::to_string(FHeaderFirstPage);
        case 9: return std::to_string(FHeaderLastPage);
        case 10: return std::to_string(FTotalPages);
        case 11:
        case 12: return std::to_string(FCurrentPageNo);
        case 13: return MacroText13();
        case 14: return MacroText14();
        case 15: return MacroText15();
        default: break;
    }
    const auto& items = FRenderTarget->FMacroItems;
    if (Code >= 16 && Code <= 35 && static_cast<std::size_t>(Code - 16) < items.size()) return items[Code - 16];
    return {};
}

// ---- format marks ----

void TRPConverter::ResetFontStyle() {
    Font.SetStyle(0);
    FBold = FUnderline = FItalic = FStrikeOut = false;
    Font.SetColor(0);
    FFontColor = 0;
    Font.SetPitch(TFontPitch::fpDefault);
    FFontPitch = 0;
    Font.SetCharset(DEFAULT_CHARSET);
    FFontExtra2 = 1;
    FFlagP = FFlagS = false;
    FRotation = 0;
    FFontWidth = 0;
    FFontExtra1 = 0;
}

void TRPConverter::ApplyMark(char letter, const std::string& parameter) {
    const bool on = ParameterIsOn(parameter);
    switch (letter) {
        case 'B': FBold = on; Font.SetIncluded(fsBold, on); break;
        case 'I': FItalic = on; Font.SetIncluded(fsItalic, on); break;
        case 'U': FUnderline = on; Font.SetIncluded(fsUnderline, on); break;
        case 'K': FStrikeOut = on; Font.SetIncluded(fsStrikeOut, on); break;
        case 'P': FFlagP = on; break;
        case 'S': FFlagS = on; break;
        case 'N':
            Font.SetName(parameter);
            FFontName = Font.Name().substr(0, 60);
            break;
        case 'Z': {
            // The report writer uses the locale's decimal separator; both "." and "," are taken.
            std::string number = parameter;
            for (char& c : number)
                if (c == ',') c = '.';
            char* end = nullptr;
            const double value = std::strtod(number.c_str(), &end);
            if (number.empty() || end != number.c_str() + number.size() || !std::isfinite(value))
                throw EConvertError("'" + parameter + "' is not a valid floating point value");
            Font.SetSize(RoundToInt32(value));
            FFontPoints = Font.Size();
            FFontSizeInches = std::abs(static_cast<double>(Font.Size())) / 72.0;
            break;
        }
        case 'C': {
            char* end = nullptr;
            const long value = std::strtol(parameter.c_str(), &end, 10);
            if (parameter.empty() || end != parameter.c_str() + parameter.size())
                throw EConvertError("'" + parameter + "' is not a valid integer value");
            Font.SetColor(static_cast<TColor>(value));
            FFontColor = Font.Color();
            break;
        }
        case 'H':
            if (parameter.empty()) break;
            if (parameter[0] == 'D') Font.SetPitch(TFontPitch::fpDefault);
            else if (parameter[0] == 'F') Font.SetPitch(TFontPitch::fpFixed);
            else if (parameter[0] == 'V') Font.SetPitch(TFontPitch::fpVariable);
            else break;
            FFontPitch = static_cast<std::uint8_t>(Font.Pitch());
            break;
        case 'R':
            Font.SetName("Arial");
            FFontName = "Arial";
            Font.SetSize(12);
            FFontPoints = 12;
            FFontSizeInches = 12.0 / 72.0;
            ResetFontStyle();
            break;
        case 'r': ResetFontStyle(); break;
        default: break;  // J and unknown letters change nothing
    }
}

std::string TRPConverter::NextSegment(const std::string& Text, std::size_t& Pos) {
    std::string codes, plain;
    std::size_t i = Pos - 1;  // 0-based
    while (i < Text.size()) {
        if (Text[i] == MarkOpen) {
            if (!plain.empty()) break;
            const std::size_t close = Text.find(MarkClose, i);
            const std::size_t end = close == std::string::npos ? Text.size() : close + 1;
            codes.append(Text, i, end - i);
            i = end;
        } else {
            const std::size_t next = Text.find(MarkOpen, i);
            const std::size_t end = next == std::string::npos ? Text.size() : next;
            plain.append(Text, i, end - i);
            i = end;
        }
    }
    Pos = i + 1;
    // Each mark: a letter after 01 or 02, its parameter up to the next 02 or 04.
    std::size_t c = 0;
    while (c < codes.size()) {
        while (c < codes.size() && codes[c] != MarkOpen && codes[c] != MarkSeparator) ++c;
        if (++c >= codes.size()) break;
        const char letter = codes[c++];
        std::string parameter;
        while (c < codes.size() && codes[c] != MarkSeparator && codes[c] != MarkClose) {
            if (codes[c] != MarkIgnored) parameter += codes[c];
            ++c;
        }
        ApplyMark(letter, parameter);
    }
    return plain;
}

// ---- measuring ----

long TRPConverter::MeasureRun(const std::string& run) {
    FMeasureBitmap.Font.AssignAttributes(Font);
    return FMeasureBitmap.Engine->TextWidthPixels(FMeasureBitmap.Font, TMeasureBitmap::PixelsPerInch, run);
}

double TRPConverter::TextWidth(const std::string& Text) {
    double sum = 0;
    std::size_t pos = 1;
    while (pos <= Text.size()) {
        const std::string run = NextSegment(Text, pos);
        sum += static_cast<double>(MeasureRun(run));
    }
    return sum / TMeasureBitmap::PixelsPerInch;
}

void TRPConverter::PrintFormatted(const std::string& Text, char Justify, double X, double Y) {
    if (Justify == 'C') X -= TextWidth(Text) / 2;
    else if (Justify == 'R') X -= TextWidth(Text);
    std::size_t pos = 1;
    while (pos <= Text.size()) {
        const std::string run = NextSegment(Text, pos);
        FRenderTarget->FontChanged(Font);
        FRenderTarget->PrintLeft(run, X, Y);
        X += static_cast<double>(MeasureRun(run)) / TMeasureBitmap::PixelsPerInch;
    }
}

void TRPConverter::PrintFormattedBlock(const std::string& Text, double X, double Y, double Width) {
    std::size_t spaces = 0;
    for (std::size_t pos = 1; pos <= Text.size();) {
        const std::string run = NextSegment(Text, pos);
        for (char c : run) spaces += c == ' ';
    }
    // Without a space there is no gap to widen: the text prints as it stands.
    const double gap = spaces == 0 ? 0.0 : (Width - TextWidth(Text)) / static_cast<double>(spaces);
    TRPRender& r = *FRenderTarget;
    std::size_t pos = 1;
    while (pos <= Text.size()) {
        std::string run = NextSegment(Text, pos);
        std::string word;
        r.TakeFirstWord(run, word);
        r.FontChanged(Font);
        r.PrintLeft(word, X, Y);
        r.AdvancePosition(X, Y, TextWidth(word));
        while (!run.empty()) {
            word.clear();
            r.TakeFirstWord(run, word);
            if (word.empty()) continue;
            r.AdvancePosition(X, Y, TextWidth(word) + gap);
            r.PrintRight(word, X, Y);
        }
    }
}

}  // namespace tal
