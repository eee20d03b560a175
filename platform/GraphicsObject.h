#pragma once
// Font, pen and brush: the drawing objects of the graphics library. Every
// assignment to a property fires the object's change notification, which the
// converter binds to its renderer.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tal {

using TColor = std::int32_t;  // 0x00BBGGRR; negative values are system colours
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008u);

class TBitmap;

class TGraphicsObject {
public:
    using TNotifyEvent = std::function<void(TGraphicsObject&)>;
    virtual ~TGraphicsObject() = default;
    void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }

protected:
    void Changed() {
        if (FOnChange) FOnChange(*this);
    }

private:
    TNotifyEvent FOnChange;
};

enum class TFontPitch : std::uint8_t { fpDefault = 0, fpVariable = 1, fpFixed = 2 };

// Font styles as a bit set.
enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = std::uint8_t;

inline constexpr std::uint8_t DEFAULT_CHARSET = 1;
inline constexpr std::uint8_t SYMBOL_CHARSET = 2;

class TFont final : public TGraphicsObject {
public:
    const std::string& Name() const { return FName; }
    int Size() const { return FSize; }  // whole points
    TColor Color() const { return FColor; }
    TFontPitch Pitch() const { return FPitch; }
    std::uint8_t Charset() const { return FCharset; }
    TFontStyles Style() const { return FStyle; }
    bool HasStyle(TFontStyle s) const { return (FStyle & s) != 0; }

    // An empty name leaves the face as it is, as the graphics library does.
    void SetName(const std::string& name) {
        if (!name.empty()) FName = name;
        Changed();
    }
    void SetSize(int points) { FSize = points; Changed(); }
    void SetColor(TColor color) { FColor = color; Changed(); }
    void SetPitch(TFontPitch pitch) { FPitch = pitch; Changed(); }
    void SetCharset(std::uint8_t charset) { FCharset = charset; Changed(); }
    void SetStyle(TFontStyles style) { FStyle = style; Changed(); }
    void Include(TFontStyle s) { SetStyle(static_cast<TFontStyles>(FStyle | s)); }
    void Exclude(TFontStyle s) { SetStyle(static_cast<TFontStyles>(FStyle & ~s)); }
    void SetIncluded(TFontStyle s, bool on) { on ? Include(s) : Exclude(s); }

    // Copies the attributes without the change notification (a measuring
    // surface takes a copy of the converter's font this way).
    void AssignAttributes(const TFont& other) {
        FName = other.FName;
        FSize = other.FSize;
        FColor = other.FColor;
        FPitch = other.FPitch;
        FCharset = other.FCharset;
        FStyle = other.FStyle;
    }

private:
    std::string FName = "MS Sans Serif";
    int FSize = 8;
    TColor FColor = clWindowText;
    TFontPitch FPitch = TFontPitch::fpDefault;
    std::uint8_t FCharset = DEFAULT_CHARSET;
    TFontStyles FStyle = 0;
};

enum TPenStyle : std::uint8_t {
    psSolid = 0, psDash = 1, psDot = 2, psDashDot = 3, psDashDotDot = 4, psClear = 5, psInsideFrame = 6
};
inline constexpr std::uint8_t pmCopy = 4;

class TPen final : public TGraphicsObject {
public:
    TColor Color() const { return FColor; }
    std::uint8_t Mode() const { return FMode; }
    std::uint8_t Style() const { return FStyle; }
    int Width() const { return FWidth; }

    void SetColor(TColor color) { FColor = color; Changed(); }
    void SetMode(std::uint8_t mode) { FMode = mode; Changed(); }
    void SetStyle(std::uint8_t style) { FStyle = style; Changed(); }
    void SetWidth(int width) { FWidth = width; Changed(); }
    // A whole pen record at once: one change notification.
    void Assign(TColor color, std::uint8_t mode, std::uint8_t style, int width) {
        FColor = color;
        FMode = mode;
        FStyle = style;
        FWidth = width;
        Changed();
    }

private:
    TColor FColor = clBlack;
    std::uint8_t FMode = pmCopy;
    std::uint8_t FStyle = psSolid;
    int FWidth = 1;
};

enum TBrushStyle : std::uint8_t {
    bsSolid = 0, bsClear = 1, bsHorizontal = 2, bsVertical = 3, bsFDiagonal = 4, bsBDiagonal = 5, bsCross = 6,
    bsDiagCross = 7
};

class TBrush final : public TGraphicsObject {
public:
    TBrush();
    ~TBrush() override;

    TColor Color() const { return FColor; }
    std::uint8_t Style() const { return FStyle; }
    // The pattern bitmap, or none.
    TBitmap* Bitmap() const { return FBitmap.get(); }

    void SetColor(TColor color) { FColor = color; Changed(); }
    void SetStyle(std::uint8_t style) { FStyle = style; Changed(); }
    // The brush takes the bitmap over; none drops the pattern.
    void SetBitmap(std::unique_ptr<TBitmap> bitmap);

private:
    TColor FColor = clWhite;
    std::uint8_t FStyle = bsSolid;
    std::unique_ptr<TBitmap> FBitmap;
};

}  // namespace tal
