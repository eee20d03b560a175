#pragma once
// Byte layout of the NDR report file: header and page-header records and the
// command codes.
#include <array>
#include <cstdint>
#include <string>

namespace tal {

namespace ndr {

inline constexpr std::uint8_t HeaderCode1101 = 0x51;  // 'Q'
inline constexpr std::uint8_t HeaderCode2009 = 0x59;  // 'Y'
inline constexpr std::uint8_t HeaderCodeVersioned = 0x5A;  // 'Z': a uint16 version follows
inline constexpr std::uint8_t PageCode = 80;  // 'P'

// Versions at which the layout changes.
inline constexpr std::uint16_t VersionPageSize = 2000;   // page sizes, more header fields, font rotation
inline constexpr std::uint16_t VersionTitle = 2010;      // report title in the header
inline constexpr std::uint16_t VersionLongText = 2016;   // two-byte text lengths
inline constexpr std::uint16_t VersionCharset = 2018;    // charset byte in the font record

// A first length byte at or above this starts a two-byte text length.
inline constexpr std::uint8_t LongTextMark = 192;

inline constexpr std::uint8_t GraphicSharedFlag = 128;
inline constexpr std::size_t VarValueCapacity = 128;

enum Command : std::uint8_t {
    cmdArc = 1, cmdIgnored2 = 2, cmdChord = 3, cmdIgnored4 = 4, cmdDraw = 5, cmdIgnored6 = 6, cmdEllipse = 7,
    cmdFillRect = 8, cmdIgnored9 = 9, cmdIgnored10 = 10, cmdLineTo = 11, cmdMoveTo = 12, cmdPie = 13,
    cmdPolygon = 14, cmdPolyline = 15, cmdPrintBitmap = 16, cmdStretchBitmap = 17, cmdRectangle = 18,
    cmdRectangle2 = 19, cmdRoundRect = 20, cmdStretchDraw = 21, cmdTextRect = 22, cmdPrintCenter = 23,
    cmdPrintLeft = 24, cmdPrintRight = 25, cmdIgnored26 = 26, cmdIgnored27 = 27, cmdIgnored28 = 28,
    cmdIgnored29 = 29, cmdIgnoredText30 = 30, cmdIgnored31 = 31, cmdPrintBlock = 32, cmdPrintBlock2 = 33,
    cmdIgnored34 = 34, cmdFrameMode = 35, cmdPrintImageData = 36, cmdSetVariable = 37,
    cmdSetBrush = 40, cmdBrushColor = 41, cmdBrushStyle = 42, cmdBrushBitmap = 43,
    cmdSetFont = 50, cmdFontName = 51, cmdFontColor = 52, cmdFontPitch = 53, cmdFontSize = 54, cmdFontBold = 55,
    cmdFontUnderline = 56, cmdFontItalic = 57, cmdFontStrikeOut = 58, cmdFontFlagP = 59, cmdFontFlagS = 60,
    cmdFontRotation = 61, cmdFontExtra1 = 62, cmdFontExtra2 = 63,
    cmdSetPen = 70, cmdPenColor = 71, cmdPenMode = 72, cmdPenStyle = 73, cmdPenWidth = 74,
    cmdEndPage = 82, cmdIgnored83 = 83, cmdIgnored84 = 84, cmdIgnored85 = 85, cmdIgnored86 = 86,
    cmdIgnored87 = 87, cmdIgnoredText88 = 88,
};

}  // namespace ndr

// The file header as read; only Measure[2] and Measure[4] (the horizontal and
// vertical device offsets) take part in the conversion.
struct TNdrHeader {
    std::uint16_t Version = 0;
    std::string Title;
    std::int16_t PageCount = 0;
    std::int16_t FirstPage = 0;
    std::int16_t LastPage = 0;
    std::array<float, 6> Measure {};
    std::uint8_t HeaderByte1 = 0;
    std::int16_t HeaderWord1 = 0;
    std::uint8_t HeaderByte2 = 0;
    std::uint8_t HeaderByte3 = 0;
    std::int16_t HeaderWord2 = 0;
    std::int16_t HeaderWord3 = 0;
    std::int16_t HeaderWord4 = 0;
    std::int16_t HeaderWord5 = 0;
    std::string HeaderText;

    float LeftOffset() const { return Measure[2]; }
    float TopOffset() const { return Measure[4]; }
};

struct TNdrPageHeader {
    std::int32_t PrevPageOffset = 0;
    std::int32_t NextPageOffset = 0;
    std::int16_t PageNo = 0;
    float PageWidth = 0;   // format 2000 and later
    float PageHeight = 0;  // format 2000 and later
    std::uint8_t PageByte = 0;  // before format 2000
};

}  // namespace tal
