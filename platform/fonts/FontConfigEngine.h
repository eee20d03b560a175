#pragma once
// The Linux font engine: fontconfig chooses the face, FreeType reads it.
#include <memory>
#include <string>
#include <vector>

#include "platform/fonts/FontEngine.h"

namespace tal {

// Where the face for a request comes from.
struct TFaceSource {
    std::string File;
    int Index = 0;  // face index inside the file (collections)
    std::string Family;
    bool IsRequestedFamily = false;  // the family asked for or a declared alias
};

class TFontConfigEngine final : public TFontEngine {
public:
    // Loads the system's fontconfig configuration and the faces of
    // extraFontFolders (fonts shipped with the program); raises EFontError
    // when either cannot be loaded.
    explicit TFontConfigEngine(const std::vector<std::string>& extraFontFolders = {});
    ~TFontConfigEngine() override;
    TFontConfigEngine(const TFontConfigEngine&) = delete;
    TFontConfigEngine& operator=(const TFontConfigEngine&) = delete;

    // A size of s points is s * pixelsPerInch / 72 pixels per em (rounded);
    // a negative size asks GDI-fashion for a cell of that height instead; a
    // size of 0 measures 0. Raises EFontError for pixelsPerInch <= 0 or a
    // pixel size beyond 2^24.
    long TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) override;
    bool IsTrueTypeFace(std::string_view faceName, TFontStyles style) override;
    TOutlineMetrics GetOutlineMetrics(std::string_view faceName, TFontStyles style) override;
    std::vector<TABCWidth> GetCharABCWidths(std::string_view faceName, TFontStyles style, int first,
                                            int last) override;
    std::vector<std::uint8_t> GetFontData(std::string_view faceName, TFontStyles style) override;
    fonts::TFontFace* CodePageFace(std::string_view faceName, TFontStyles style, TCodePage codePage) override;

    TFaceSource FaceSource(std::string_view faceName, TFontStyles style);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace tal
