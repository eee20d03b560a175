#pragma once
// Pictures carried by a report: device-independent bitmaps, metafiles and
// icons. Each loads itself from the bytes of its own file format.
#include <cstdint>
#include <vector>

#include "platform/Stream.h"

namespace tal {

enum class TGraphicKind : std::uint8_t { Bitmap = 1, Metafile = 2, Icon = 3 };

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual TGraphicKind Kind() const = 0;

    // Takes the picture from the stream's remaining bytes.
    void LoadFromStream(TStream& stream);
    virtual void LoadFromBytes(std::vector<std::uint8_t> bytes) { FBytes = std::move(bytes); }

    // The picture's file bytes as loaded.
    const std::vector<std::uint8_t>& Bytes() const { return FBytes; }
    bool Empty() const { return FBytes.empty(); }

protected:
    std::vector<std::uint8_t> FBytes;
};

class TBitmap : public TGraphic {
public:
    TGraphicKind Kind() const override { return TGraphicKind::Bitmap; }
};

class TMetafile : public TGraphic {
public:
    TGraphicKind Kind() const override { return TGraphicKind::Metafile; }
};

class TIcon : public TGraphic {
public:
    TGraphicKind Kind() const override { return TGraphicKind::Icon; }
};

}  // namespace tal
