#pragma once
// Writes NDR report files of every format version with every command, for
// tests, fuzz seeds and the sample reports. Offsets (the page chain, shared
// graphics, indirect variable values) are patched in when the file is
// finished, so callers never compute a position.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tal::ndrwriter {

struct THeaderFields {
    std::uint16_t Version = 2018;
    std::string Title = "Report";
    std::int16_t FirstPage = 1;
    std::int16_t LastPage = -1;  // -1: the number of pages written
    float Measures[6] = {8.5f, 11.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    std::string HeaderText;
};

// A picture carried inline or stored once elsewhere in the file.
struct TGraphicData {
    std::uint8_t Kind = 1;  // 1 bitmap, 2 metafile, 3 icon
    std::vector<std::uint8_t> Bytes;
    bool Shared = false;
    // A shared graphic whose bytes were stored before points at that copy,
    // as a writer that stores each picture once does.
    bool StoredOnce = false;
};

class TNdrWriter {
public:
    explicit TNdrWriter(THeaderFields header = {});

    std::uint16_t Version() const { return FHeader.Version; }
    // Offset the next byte will be written at.
    std::int32_t Offset() const { return static_cast<std::int32_t>(FBytes.size()); }

    // ---- pages ----
    void BeginPage(std::int16_t pageNo, float width = 8.5f, float height = 11.0f);
    void EndPage();

    // ---- commands ----
    void Arc(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);
    void Chord(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);
    void Pie(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);
    void Ellipse(float x1, float y1, float x2, float y2);
    void Rectangle(float x1, float y1, float x2, float y2, std::uint8_t code = 18);
    void RoundRect(float x1, float y1, float x2, float y2, float w, float h);
    void FillRect(float x1, float y1, float x2, float y2);
    void MoveTo(float x, float y);
    void LineTo(float x, float y);
    void Polygon(const std::vector<std::pair<float, float>>& points);
    void Polyline(const std::vector<std::pair<float, float>>& points);
    void Draw(const TGraphicData& graphic, float x, float y);
    void PrintBitmap(const TGraphicData& graphic, float x, float y, float scaleX, float scaleY);
    void StretchBitmap(const TGraphicData& graphic, float x1, float y1, float x2, float y2);
    void StretchDraw(const TGraphicData& graphic, float x1, float y1, float x2, float y2);
    void TextRect(float x1, float y1, float x2, float y2, float x, float y, std::string_view text);
    void PrintCenter(float y, std::string_view text, float x);
    void PrintLeft(float y, std::string_view text, float x);
    void PrintRight(float y, std::string_view text, float x);
    void PrintBlock(float y, std::string_view text, float x, float width, std::uint8_t code = 32);
    void PrintImageData(const std::vector<std::uint8_t>& data, std::string_view imageType, float x1, float y1,
                        float x2, float y2);
    void FrameMode(std::uint8_t mode);
    void SetVariable(std::string_view name, std::string_view value);
    // A variable whose value is stored once elsewhere in the file; negative
    // stores the reference as a negative offset, as some writers do.
    void SetVariableStoredElsewhere(std::string_view name, std::string_view value, bool negative = false);
    void SetBrush(std::int32_t color, std::uint8_t style, const TGraphicData* bitmap = nullptr);
    void BrushColor(std::int32_t color);
    void BrushStyle(std::uint8_t style);
    void BrushBitmap(const TGraphicData* bitmap);
    struct TFontRecord {
        std::string Name = "Arial";
        std::int32_t Color = 0;
        std::uint8_t Pitch = 0;
        std::uint8_t Charset = 0;
        float SizeInches = 12.0f / 72.0f;
        bool Bold = false, Italic = false, StrikeOut = false;
        std::int16_t Rotation = 0;
    };
    void SetFont(const TFontRecord& font);
    void FontName(std::string_view name);
    void FontColor(std::int32_t color);
    void FontPitch(std::uint8_t pitch);
    void FontSize(float inches, float width = 0);
    void FontBold(bool on);
    void FontUnderline(bool on);
    void FontItalic(bool on);
    void FontStrikeOut(bool on);
    void FontFlagP(bool on);
    void FontFlagS(bool on);
    void FontRotation(std::int16_t degrees);
    void FontExtra1(std::uint8_t value);
    void FontExtra2(std::uint8_t value);
    void SetPen(std::int32_t color, std::uint8_t mode, std::uint8_t style, float width);
    void PenColor(std::int32_t color);
    void PenMode(std::uint8_t mode);
    void PenStyle(std::uint8_t style);
    void PenWidth(float inches);
    // Every command the reader skips, with operands of the right shape.
    void IgnoredCommand(std::uint8_t code);

    // ---- raw primitives, for files that break the rules on purpose ----
    void Byte(std::uint8_t v);
    void Int16(std::int16_t v);
    void Int32(std::int32_t v);
    void Float(float v);
    void Text(std::string_view text);

    // Patches the page count and every offset, appends what is stored
    // elsewhere, and returns the file.
    std::vector<std::uint8_t> Finish();

private:
    void WriteHeader();
    void Floats(std::initializer_list<float> values);
    void Graphic(const TGraphicData& graphic);
    void GraphicData(const std::vector<std::uint8_t>& bytes, bool shared, bool storedOnce = false);
    void VarValue(std::string_view value);
    void PatchInt32(std::size_t at, std::int32_t value);
    void Points(std::uint8_t code, const std::vector<std::pair<float, float>>& points);

    struct TStoredElsewhere {
        std::size_t PatchAt;  // where the offset goes
        std::vector<std::uint8_t> Bytes;
        bool Negative = false;
        std::vector<std::size_t> MorePatches;  // further references to the same copy
    };

    THeaderFields FHeader;
    std::vector<std::uint8_t> FBytes;
    std::size_t FPageCountAt = 0;
    std::size_t FLastPageAt = 0;
    std::int16_t FPages = 0;
    std::int32_t FPrevPageOffset = 0;
    std::size_t FNextOffsetAt = 0;  // NextPageOffset field of the page before, 0 if none
    std::vector<TStoredElsewhere> FElsewhere;
};

// Text markup: macros and inline format marks.
std::string BuiltInMacro(int code);  // two digits, 0 to 99
std::string VariableMacro(std::string_view name);
// One mark group: 01 L1 P1 02 L2 P2 ... 04.
std::string MarkGroup(std::initializer_list<std::pair<char, std::string_view>> marks);

}  // namespace tal::ndrwriter
