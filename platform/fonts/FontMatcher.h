#pragma once
// Finding the installed face for a font request through fontconfig, the
// counterpart of GDI's font mapper.
#include <compare>
#include <span>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GraphicsObject.h"
#include "platform/fonts/FontHandles.h"

namespace tal::fonts {

// What a caller asks for; also the key of the engine's face cache.
struct TFaceRequest {
    std::string Name;
    bool Bold = false;
    bool Italic = false;
    TFontPitch Pitch = TFontPitch::fpDefault;
    std::uint8_t Charset = DEFAULT_CHARSET;
    auto operator<=>(const TFaceRequest&) const = default;
};

// A request from a face name that may carry a PDF style suffix (",Bold",
// ",Italic", ",BoldItalic"); the suffix's style adds to style.
TFaceRequest RequestForName(std::string_view faceName, TFontStyles style);

// Family names compared as fontconfig compares them: ASCII case and blanks
// do not count, so "LiberationSans" names "Liberation Sans".
bool SameFamilyName(std::string_view a, std::string_view b);

// The face fontconfig chose for a request.
struct TMatchedFace {
    std::string File;
    int Index = 0;                      // face index inside the file
    std::vector<std::string> Families;  // every family name the face carries
    // The face carries the requested family or one that fontconfig declares
    // equivalent to it (a metric-compatible alias), not a mere fallback.
    bool IsRequestedFamily = false;
};

class TFontMatcher {
public:
    // Loads the system's fontconfig configuration, plus the faces of
    // extraFolders; raises EFontError when either cannot be loaded.
    explicit TFontMatcher(const std::vector<std::string>& extraFolders = {});

    // Always finds some face (fontconfig falls back to a default one), or
    // raises EFontError when no font at all is installed.
    TMatchedFace Match(const TFaceRequest& request) const;

    // The TrueType face fontconfig prefers for text of a language (its
    // fontconfig name, "ja") that draws every one of the characters, in the
    // request's weight and slant; the request's name ranks below the
    // language. Raises EFontError when no font at all is installed.
    TMatchedFace MatchLanguage(const TFaceRequest& request, const std::string& language,
                               std::span<const char32_t> characters) const;

private:
    TMatchedFace BestMatch(FcPattern* pattern, const TFaceRequest& request) const;
    TFcConfig FConfig;
};

}  // namespace tal::fonts
