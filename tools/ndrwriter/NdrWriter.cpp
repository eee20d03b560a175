#include "tools/ndrwriter/NdrWriter.h"

#include <cstring>
#include <stdexcept>

namespace tal::ndrwriter {

namespace {

constexpr std::uint16_t VersionPageSize = 2000;
constexpr std::uint16_t VersionTitle = 2010;
constexpr std::uint16_t VersionLongText = 2016;
constexpr std::uint16_t VersionCharset = 2018;

}  // namespace

TNdrWriter::TNdrWriter(THeaderFields header) : FHeader(std::move(header)) { WriteHeader(); }

void TNdrWriter::WriteHeader() {
    if (FHeader.Version == 1101) {
        Byte(0x51);
    } else if (FHeader.Version == 2009) {
        Byte(0x59);
    } else {
        Byte(0x5A);
        Int16(static_cast<std::int16_t>(FHeader.Version));
    }
    if (FHeader.Version >= VersionTitle) Text(FHeader.Title);
    FPageCountAt = FBytes.size();
    Int16(0);
    Int16(FHeader.FirstPage);
    FLastPageAt = FBytes.size();
    Int16(FHeader.LastPage);
    for (float m : FHeader.Measures) Float(m);
    Byte(0);
    if (FHeader.Version >= VersionPageSize) {
        Int16(0);
        Byte(0);
        Byte(0);
    }
    for (int i = 0; i < 4; ++i) Int16(0);
    Text(FHeader.HeaderText);
}

// ---- primitives ----

void TNdrWriter::Byte(std::uint8_t v) { FBytes.push_back(v); }

void TNdrWriter::Int16(std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    FBytes.push_back(static_cast<std::uint8_t>(u));
    FBytes.push_back(static_cast<std::uint8_t>(u >> 8));
}

void TNdrWriter::Int32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8) FBytes.push_back(static_cast<std::uint8_t>(u >> shift));
}

void TNdrWriter::Float(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    Int32(static_cast<std::int32_t>(bits));
}

void TNdrWriter::Floats(std::initializer_list<float> values) {
    for (float v : values) Float(v);
}

void TNdrWriter::Text(std::string_view text) {
    const bool longForm = FHeader.Version >= VersionLongText;
    const std::size_t limit = longForm ? 16383 : 255;
    if (text.size() > limit) throw std::length_error("text too long for this NDR version");
    if (longForm && text.size() >= 192) {
        Byte(static_cast<std::uint8_t>(192 + text.size() / 256));
        Byte(static_cast<std::uint8_t>(text.size() % 256));
    } else {
        Byte(static_cast<std::uint8_t>(text.size()));
    }
    FBytes.insert(FBytes.end(), text.begin(), text.end());
}

void TNdrWriter::PatchInt32(std::size_t at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) FBytes[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

// ---- pages ----

void TNdrWriter::BeginPage(std::int16_t pageNo, float width, float height) {
    const std::int32_t offset = Offset();
    if (FNextOffsetAt) PatchInt32(FNextOffsetAt, offset);
    Byte(80);
    Int32(FPrevPageOffset);
    FNextOffsetAt = FBytes.size();
    Int32(0);
    Int16(pageNo);
    if (FHeader.Version >= VersionPageSize) {
        Float(width);
        Float(height);
    } else {
        Byte(0);
    }
    FPrevPageOffset = offset;
    ++FPages;
}

void TNdrWriter::EndPage() { Byte(82); }

// ---- shapes ----

void TNdrWriter::Arc(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
    Byte(1);
    Floats({x1, y1, x2, y2, x3, y3, x4, y4});
}
void TNdrWriter::Chord(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
    Byte(3);
    Floats({x1, y1, x2, y2, x3, y3, x4, y4});
}
void TNdrWriter::Pie(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
    Byte(13);
    Floats({x1, y1, x2, y2, x3, y3, x4, y4});
}
void TNdrWriter::Ellipse(float x1, float y1, float x2, float y2) {
    Byte(7);
    Floats({x1, y1, x2, y2});
}
void TNdrWriter::Rectangle(float x1, float y1, float x2, float y2, std::uint8_t code) {
    Byte(code);
    Floats({x1, y1, x2, y2});
}
void TNdrWriter::RoundRect(float x1, float y1, float x2, float y2, float w, float h) {
    Byte(20);
    Floats({x1, y1, x2, y2, w, h});
}
void TNdrWriter::FillRect(float x1, float y1, float x2, float y2) {
    Byte(8);
    Floats({x1, y1, x2, y2});
}
void TNdrWriter::MoveTo(float x, float y) {
    Byte(12);
    Floats({x, y});
}
void TNdrWriter::LineTo(float x, float y) {
    Byte(11);
    Floats({x, y});
}

void TNdrWriter::Points(std::uint8_t code, const std::vector<std::pair<float, float>>& points) {
    Byte(code);
    Int16(static_cast<std::int16_t>(static_cast<int>(points.size()) - 1));
    for (const auto& [x, y] : points) Floats({x, y});
}
void TNdrWriter::Polygon(const std::vector<std::pair<float, float>>& points) { Points(14, points); }
void TNdrWriter::Polyline(const std::vector<std::pair<float, float>>& points) { Points(15, points); }

// ---- pictures ----

void TNdrWriter::GraphicData(const std::vector<std::uint8_t>& bytes, bool shared, bool storedOnce) {
    std::vector<std::uint8_t> block;
    const auto size = static_cast<std::uint32_t>(bytes.size());
    for (int shift = 0; shift < 32; shift += 8) block.push_back(static_cast<std::uint8_t>(size >> shift));
    block.insert(block.end(), bytes.begin(), bytes.end());
    if (shared && storedOnce)
        for (auto& stored : FElsewhere)
            if (!stored.Negative && stored.Bytes == block) {
                stored.MorePatches.push_back(FBytes.size());
                Int32(0);
                return;
            }
    if (shared) {
        FElsewhere.push_back({FBytes.size(), std::move(block), false, {}});
        Int32(0);
    } else {
        FBytes.insert(FBytes.end(), block.begin(), block.end());
    }
}

void TNdrWriter::Graphic(const TGraphicData& graphic) {
    Byte(static_cast<std::uint8_t>(graphic.Kind | (graphic.Shared ? 0x80 : 0)));
    GraphicData(graphic.Bytes, graphic.Shared, graphic.StoredOnce);
}

void TNdrWriter::Draw(const TGraphicData& graphic, float x, float y) {
    Byte(5);
    Graphic(graphic);
    Floats({x, y});
}
void TNdrWriter::PrintBitmap(const TGraphicData& graphic, float x, float y, float scaleX, float scaleY) {
    Byte(16);
    Graphic(graphic);
    Floats({x, y, scaleX, scaleY});
}
void TNdrWriter::StretchBitmap(const TGraphicData& graphic, float x1, float y1, float x2, float y2) {
    Byte(17);
    Graphic(graphic);
    Floats({x1, y1, x2, y2});
}
void TNdrWriter::StretchDraw(const TGraphicData& graphic, float x1, float y1, float x2, float y2) {
    Byte(21);
    Graphic(graphic);
    Floats({x1, y1, x2, y2});
}
void TNdrWriter::PrintImageData(const std::vector<std::uint8_t>& data, std::string_view imageType, float x1,
                                float y1, float x2, float y2) {
    Byte(36);
    Int32(static_cast<std::int32_t>(data.size()));
    FBytes.insert(FBytes.end(), data.begin(), data.end());
    Text(imageType);
    Floats({x1, y1, x2, y2});
}

// ---- text ----

void TNdrWriter::TextRect(float x1, float y1, float x2, float y2, float x, float y, std::string_view text) {
    Byte(22);
    Floats({x1, y1, x2, y2, x, y});
    Text(text);
}
void TNdrWriter::PrintCenter(float y, std::string_view text, float x) {
    Byte(23);
    Float(y);
    Text(text);
    Float(x);
}
void TNdrWriter::PrintLeft(float y, std::string_view text, float x) {
    Byte(24);
    Float(y);
    Text(text);
    Float(x);
}
void TNdrWriter::PrintRight(float y, std::string_view text, float x) {
    Byte(25);
    Float(y);
    Text(text);
    Float(x);
}
void TNdrWriter::PrintBlock(float y, std::string_view text, float x, float width, std::uint8_t code) {
    Byte(code);
    Float(y);
    Text(text);
    Floats({x, width});
}

// ---- state ----

void TNdrWriter::FrameMode(std::uint8_t mode) {
    Byte(35);
    Byte(mode);
}

void TNdrWriter::VarValue(std::string_view value) {
    if (value.size() > 128) throw std::length_error("variable value longer than 128 bytes");
    Byte(static_cast<std::uint8_t>(value.size()));
    Byte(static_cast<std::uint8_t>(value.size()));
    FBytes.insert(FBytes.end(), value.begin(), value.end());
}

void TNdrWriter::SetVariable(std::string_view name, std::string_view value) {
    Byte(37);
    Text(name);
    VarValue(value);
}

void TNdrWriter::SetVariableStoredElsewhere(std::string_view name, std::string_view value, bool negative) {
    Byte(37);
    Text(name);
    Byte(4);
    Byte(254);
    std::vector<std::uint8_t> stored {static_cast<std::uint8_t>(value.size()), static_cast<std::uint8_t>(value.size())};
    stored.insert(stored.end(), value.begin(), value.end());
    FElsewhere.push_back({FBytes.size(), std::move(stored), negative, {}});
    Int32(0);
}

void TNdrWriter::BrushBitmap(const TGraphicData* bitmap) {
    Byte(43);
    Byte(bitmap ? 1 : 0);
    if (!bitmap) return;
    Byte(bitmap->Shared ? 0x81 : 0x01);
    GraphicData(bitmap->Bytes, bitmap->Shared);
}

void TNdrWriter::SetBrush(std::int32_t color, std::uint8_t style, const TGraphicData* bitmap) {
    Byte(40);
    Int32(color);
    Byte(style);
    Byte(bitmap ? 1 : 0);
    if (!bitmap) return;
    Byte(bitmap->Shared ? 0x81 : 0x01);
    GraphicData(bitmap->Bytes, bitmap->Shared);
}
void TNdrWriter::BrushColor(std::int32_t color) {
    Byte(41);
    Int32(color);
}
void TNdrWriter::BrushStyle(std::uint8_t style) {
    Byte(42);
    Byte(style);
}

void TNdrWriter::SetFont(const TFontRecord& font) {
    Byte(50);
    Text(font.Name);
    Int32(font.Color);
    Byte(font.Pitch);
    if (FHeader.Version >= VersionCharset) Byte(font.Charset);
    Float(font.SizeInches);
    Byte(font.Bold);
    Byte(font.Italic);
    Byte(font.StrikeOut);
    Byte(0);
    if (FHeader.Version >= VersionPageSize) Int16(font.Rotation);
}
void TNdrWriter::FontName(std::string_view name) {
    Byte(51);
    Text(name);
}
void TNdrWriter::FontColor(std::int32_t color) {
    Byte(52);
    Int32(color);
}
void TNdrWriter::FontPitch(std::uint8_t pitch) {
    Byte(53);
    Byte(pitch);
}
void TNdrWriter::FontSize(float inches, float width) {
    Byte(54);
    Float(inches);
    if (FHeader.Version >= VersionPageSize) Float(width);
}
void TNdrWriter::FontBold(bool on) { Byte(55); Byte(on); }
void TNdrWriter::FontUnderline(bool on) { Byte(56); Byte(on); }
void TNdrWriter::FontItalic(bool on) { Byte(57); Byte(on); }
void TNdrWriter::FontStrikeOut(bool on) { Byte(58); Byte(on); }
void TNdrWriter::FontFlagP(bool on) { Byte(59); Byte(on); }
void TNdrWriter::FontFlagS(bool on) { Byte(60); Byte(on); }
void TNdrWriter::FontRotation(std::int16_t degrees) { Byte(61); Int16(degrees); }
void TNdrWriter::FontExtra1(std::uint8_t value) { Byte(62); Byte(value); }
void TNdrWriter::FontExtra2(std::uint8_t value) { Byte(63); Byte(value); }

void TNdrWriter::SetPen(std::int32_t color, std::uint8_t mode, std::uint8_t style, float width) {
    Byte(70);
    Int32(color);
    Byte(mode);
    Byte(style);
    Float(width);
}
void TNdrWriter::PenColor(std::int32_t color) { Byte(71); Int32(color); }
void TNdrWriter::PenMode(std::uint8_t mode) { Byte(72); Byte(mode); }
void TNdrWriter::PenStyle(std::uint8_t style) { Byte(73); Byte(style); }
void TNdrWriter::PenWidth(float inches) { Byte(74); Float(inches); }

void TNdrWriter::IgnoredCommand(std::uint8_t code) {
    Byte(code);
    auto rect = [this] { Floats({0.5f, 0.5f, 1.5f, 1.5f}); };
    switch (code) {
        case 2: rect(); rect(); Int32(7); break;
        case 4: rect(); Int32(7); rect(); break;
        case 6: case 10: rect(); break;
        case 9: Floats({1, 2}); Int32(3); Int32(4); break;
        case 26: case 34: case 87: Byte(1); break;
        case 27: case 31: Int32(5); break;
        case 28: case 29: Float(0.25f); break;
        case 30: case 88: Text("ignored"); break;
        case 83: Floats({1, 2, 3}); break;
        case 84: case 85: case 86: break;
        default: throw std::invalid_argument("not an ignored command");
    }
}

std::vector<std::uint8_t> TNdrWriter::Finish() {
    FBytes[FPageCountAt] = static_cast<std::uint8_t>(FPages);
    FBytes[FPageCountAt + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(FPages) >> 8);
    if (FHeader.LastPage < 0) {
        const auto last = static_cast<std::uint16_t>(FHeader.FirstPage + FPages - 1);
        FBytes[FLastPageAt] = static_cast<std::uint8_t>(last);
        FBytes[FLastPageAt + 1] = static_cast<std::uint8_t>(last >> 8);
    }
    for (auto& stored : FElsewhere) {
        const std::int32_t offset = Offset();
        PatchInt32(stored.PatchAt, stored.Negative ? -offset : offset);
        for (const std::size_t at : stored.MorePatches) PatchInt32(at, offset);
        FBytes.insert(FBytes.end(), stored.Bytes.begin(), stored.Bytes.end());
    }
    FElsewhere.clear();
    return FBytes;
}

// ---- markup ----

std::string BuiltInMacro(int code) {
    std::string text = "\xFD$RPCM";
    text += static_cast<char>('0' + (code / 10) % 10);
    text += static_cast<char>('0' + code % 10);
    return text;
}

std::string VariableMacro(std::string_view name) {
    std::string text = "\xFD$RPCV\xFC";
    text += name;
    text += '\xFB';
    return text;
}

std::string MarkGroup(std::initializer_list<std::pair<char, std::string_view>> marks) {
    std::string text;
    bool first = true;
    for (const auto& [letter, parameter] : marks) {
        text += first ? '\x01' : '\x02';
        text += letter;
        text += parameter;
        first = false;
    }
    text += '\x04';
    return text;
}

}  // namespace tal::ndrwriter
