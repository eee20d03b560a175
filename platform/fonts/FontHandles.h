#pragma once
// Owning handles for the C objects of FreeType and fontconfig, so that every
// library object is released on every path, exceptions included.
#include <memory>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace tal::fonts {

struct TFreeTypeLibraryDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct TFreeTypeFaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct TFcConfigDeleter {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
struct TFcPatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct TFcCharSetDeleter {
    void operator()(FcCharSet* set) const { FcCharSetDestroy(set); }
};
struct TFcLangSetDeleter {
    void operator()(FcLangSet* set) const { FcLangSetDestroy(set); }
};

using TFreeTypeLibrary = std::unique_ptr<std::remove_pointer_t<FT_Library>, TFreeTypeLibraryDeleter>;
using TFreeTypeFace = std::unique_ptr<std::remove_pointer_t<FT_Face>, TFreeTypeFaceDeleter>;
using TFcConfig = std::unique_ptr<FcConfig, TFcConfigDeleter>;
using TFcPattern = std::unique_ptr<FcPattern, TFcPatternDeleter>;
using TFcCharSet = std::unique_ptr<FcCharSet, TFcCharSetDeleter>;
using TFcLangSet = std::unique_ptr<FcLangSet, TFcLangSetDeleter>;

}  // namespace tal::fonts
