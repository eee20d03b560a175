// Report text: macros that are replaced when a text is read, inline format
// marks that split a text into runs with different fonts, measuring, and the
// layout of formatted and justified text through the renderer's text calls.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

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

namespace {

// The converter's font state that format marks change. Measuring a
// formatted text applies all its marks; printing must start again from the
// state the text began with. Restoring sends no change notification: the
// runs are announced to the renderer as they are printed.
struct TMarkState {
    TFont Font;
    std::string FontName;
    TColor FontColor;
    std::uint8_t FontPitch;
    double FontPoints, FontSizeInches, FontWidth;
    bool Bold, Underline, Italic, StrikeOut, FlagS, FlagP;
    std::int16_t Rotation;
    std::uint8_t FontExtra1;
    std::int32_t FontExtra2;

    explicit TMarkState(const TRPConverter& c)
        : FontName(c.FFontName), FontColor(c.FFontColor), FontPitch(c.FFontPitch), FontPoints(c.FFontPoints),
          FontSizeInches(c.FFontSizeInches), FontWidth(c.FFontWidth), Bold(c.FBold), Underline(c.FUnderline),
          Italic(c.FItalic), StrikeOut(c.FStrikeOut), FlagS(c.FFlagS), FlagP(c.FFlagP), Rotation(c.FRotation),
          FontExtra1(c.FFontExtra1), FontExtra2(c.FFontExtra2) {
        Font.AssignAttributes(c.Font);
    }

    void Restore(TRPConverter& c) const {
        c.Font.AssignAttributes(Font);
        c.FFontName = FontName;
        c.FFontColor = FontColor;
        c.FFontPitch = FontPitch;
        c.FFontPoints = FontPoints;
        c.FFontSizeInches = FontSizeInches;
        c.FFontWidth = FontWidth;
        c.FBold = Bold;
        c.FUnderline = Underline;
        c.FItalic = Italic;
        c.FStrikeOut = StrikeOut;
        c.FFlagS = FlagS;
        c.FFlagP = FlagP;
        c.FRotation = Rotation;
        c.FFontExtra1 = FontExtra1;
        c.FFontExtra2 = FontExtra2;
    }
};

// A piece of a justified line: a word, or the blanks between words, with
// its width in the font of its run (1/1248 inch).
struct TLinePiece {
    std::string Text;
    bool Blank = false;
    long Width = 0;
};

// The pieces of a run: maximal stretches of blanks and of other bytes.
std::vector<std::string> SplitBlanks(const std::string& run) {
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i < run.size();) {
        const bool blank = run[i] == ' ';
        std::size_t j = i;
        while (j < run.size() && (run[j] == ' ') == blank) ++j;
        pieces.push_back(run.substr(i, j - i));
        i = j;
    }
    return pieces;
}

}  // namespace

void TRPConverter::PrintFormatted(const std::string& Text, char Justify, double X, double Y) {
    if (Justify == 'C' || Justify == 'R') {
        // Measuring applies every mark of the text; the first run must still
        // print in the font the text starts with.
        const TMarkState start(*this);
        const double width = TextWidth(Text);
        start.Restore(*this);
        X -= Justify == 'C' ? width / 2 : width;
    }
    std::size_t pos = 1;
    while (pos <= Text.size()) {
        const std::string run = NextSegment(Text, pos);
        FRenderTarget->FontChanged(Font);
        FRenderTarget->PrintLeft(run, X, Y);
        X += static_cast<double>(MeasureRun(run)) / TMeasureBitmap::PixelsPerInch;
    }
}

void TRPConverter::PrintFormattedBlock(const std::string& Text, double X, double Y, double Width) {
    // First pass: the pieces of every run, measured in the run's own font.
    const TMarkState start(*this);
    std::vector<std::vector<TLinePiece>> runs;
    for (std::size_t pos = 1; pos <= Text.size();) {
        const std::string run = NextSegment(Text, pos);
        std::vector<TLinePiece>& pieces = runs.emplace_back();
        for (std::string& piece : SplitBlanks(run)) {
            const long width = MeasureRun(piece);
            const bool blank = piece[0] == ' ';
            pieces.push_back({std::move(piece), blank, width});
        }
    }
    start.Restore(*this);

    // The extra width goes to every blank between the first word and the
    // last, across runs, so that the last word ends on the margin; blanks
    // before the first word and after the last keep their own width.
    long natural = 0, naturalToLastWord = 0;
    std::size_t blanks = 0, blanksToLastWord = 0;
    bool seenWord = false;
    for (const auto& pieces : runs)
        for (const TLinePiece& piece : pieces) {
            natural += piece.Width;
            if (!piece.Blank) {
                seenWord = true;
                naturalToLastWord = natural;
                blanksToLastWord = blanks;
            } else if (seenWord) {
                blanks += piece.Text.size();
            }
        }
    // Without an inner blank there is no gap to widen: the text prints as it stands.
    const double gap = blanksToLastWord == 0
                           ? 0.0
                           : (Width - static_cast<double>(naturalToLastWord) / TMeasureBitmap::PixelsPerInch) /
                                 static_cast<double>(blanksToLastWord);

    // Second pass: the marks again, each run announced before its pieces.
    // The first word starts at X; every later piece of a word is placed by
    // its right end, where the position arrives.
    TRPRender& r = *FRenderTarget;
    seenWord = false;
    std::size_t pos = 1;
    for (const auto& pieces : runs) {
        NextSegment(Text, pos);
        r.FontChanged(Font);
        for (const TLinePiece& piece : pieces) {
            const double width = static_cast<double>(piece.Width) / TMeasureBitmap::PixelsPerInch;
            if (piece.Blank) {
                const bool inner = seenWord;
                r.AdvancePosition(X, Y, width + (inner ? gap * static_cast<double>(piece.Text.size()) : 0.0));
            } else if (!seenWord) {
                seenWord = true;
                r.PrintLeft(piece.Text, X, Y);
                r.AdvancePosition(X, Y, width);
            } else {
                r.AdvancePosition(X, Y, width);
                r.PrintRight(piece.Text, X, Y);
            }
        }
    }
}

}  // namespace tal
