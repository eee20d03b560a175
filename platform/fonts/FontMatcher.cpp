#include "platform/fonts/FontMatcher.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "platform/fonts/FontEngine.h"

namespace tal::fonts {

namespace {

// fontconfig's generic names: a face chosen for one of them is whatever the
// configuration prefers, never the face the name stands for.
constexpr std::array<std::string_view, 11> GENERIC_FAMILIES = {
    "sans-serif", "serif", "monospace", "sans", "mono", "cursive", "fantasy", "system-ui", "emoji", "math", "fangsong"};

bool IsGenericFamily(std::string_view name) {
    return std::any_of(GENERIC_FAMILIES.begin(), GENERIC_FAMILIES.end(),
                       [&](std::string_view generic) { return SameFamilyName(name, generic); });
}

struct TStyleSuffix {
    std::string_view Text;
    bool Bold;
    bool Italic;
};

// Longest first, so ",BoldItalic" is not read as ",Italic".
constexpr std::array<TStyleSuffix, 3> STYLE_SUFFIXES = {
    TStyleSuffix{",BoldItalic", true, true}, TStyleSuffix{",Bold", true, false},
    TStyleSuffix{",Italic", false, true}};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

const FcChar8* AsFc(const std::string& s) { return reinterpret_cast<const FcChar8*>(s.c_str()); }

TFcPattern RequestPattern(const TFaceRequest& request) {
    TFcPattern pattern(FcPatternCreate());
    if (!pattern) throw EFontError("Out of memory creating a font pattern");
    FcPatternAddString(pattern.get(), FC_FAMILY, AsFc(request.Name));
    // GDI gives a fixed-pitch request a fixed-pitch face when the name is
    // unknown: the monospace generic ranks below the name itself.
    if (request.Pitch == TFontPitch::fpFixed) {
        FcValue mono{};
        mono.type = FcTypeString;
        mono.u.s = reinterpret_cast<const FcChar8*>("monospace");
        FcPatternAddWeak(pattern.get(), FC_FAMILY, mono, FcTrue);
        FcPatternAddInteger(pattern.get(), FC_SPACING, FC_MONO);
    }
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, request.Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, request.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    return pattern;
}

// After substitution the pattern lists the requested family and, bound as
// strongly as it, the families the configuration declares equivalent (the
// metric aliases); fallbacks are added with weak binding.
std::vector<std::string> DeclaredFamilies(FcPattern* substituted) {
    std::vector<std::string> families;
    FcPatternIter iter;
    if (!FcPatternFindIter(substituted, &iter, FC_FAMILY)) return families;
    const int count = FcPatternIterValueCount(substituted, &iter);
    for (int i = 0; i < count; ++i) {
        FcValue value;
        FcValueBinding binding;
        if (FcPatternIterGetValue(substituted, &iter, i, &value, &binding) != FcResultMatch) continue;
        if (value.type != FcTypeString || binding == FcValueBindingWeak) continue;
        const std::string family(reinterpret_cast<const char*>(value.u.s));
        if (!IsGenericFamily(family)) families.push_back(family);
    }
    return families;
}

std::vector<std::string> FaceFamilies(FcPattern* font) {
    std::vector<std::string> families;
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &family) == FcResultMatch; ++i)
        families.emplace_back(reinterpret_cast<const char*>(family));
    return families;
}

bool AnySameFamily(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return std::any_of(a.begin(), a.end(), [&](const std::string& x) {
        return std::any_of(b.begin(), b.end(), [&](const std::string& y) { return SameFamilyName(x, y); });
    });
}

}  // namespace

TFaceRequest RequestForName(std::string_view faceName, TFontStyles style) {
    TFaceRequest request;
    request.Bold = (style & fsBold) != 0;
    request.Italic = (style & fsItalic) != 0;
    for (const auto& suffix : STYLE_SUFFIXES) {
        if (faceName.size() > suffix.Text.size() && faceName.ends_with(suffix.Text)) {
            faceName.remove_suffix(suffix.Text.size());
            request.Bold = request.Bold || suffix.Bold;
            request.Italic = request.Italic || suffix.Italic;
            break;
        }
    }
    request.Name = std::string(faceName);
    return request;
}

bool SameFamilyName(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    for (;;) {
        while (i < a.size() && a[i] == ' ') ++i;
        while (j < b.size() && b[j] == ' ') ++j;
        if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
        if (LowerAscii(a[i]) != LowerAscii(b[j])) return false;
        ++i;
        ++j;
    }
}

TFontMatcher::TFontMatcher(const std::vector<std::string>& extraFolders) : FConfig(FcInitLoadConfigAndFonts()) {
    if (!FConfig) throw EFontError("The fontconfig configuration cannot be loaded");
    for (const std::string& folder : extraFolders)
        // fontconfig accepts a folder that does not exist, so look first.
        if (!std::filesystem::is_directory(folder) || !FcConfigAppFontAddDir(FConfig.get(), AsFc(folder)))
            throw EFontError("The font folder " + folder + " cannot be read");
}

TMatchedFace TFontMatcher::Match(const TFaceRequest& request) const {
    TFcPattern pattern = RequestPattern(request);
    return BestMatch(pattern.get(), request);
}

TMatchedFace TFontMatcher::BestMatch(FcPattern* pattern, const TFaceRequest& request) const {
    if (!FcConfigSubstitute(FConfig.get(), pattern, FcMatchPattern))
        throw EFontError("Out of memory matching the font \"" + request.Name + "\"");
    FcDefaultSubstitute(pattern);
    const std::vector<std::string> declared = DeclaredFamilies(pattern);

    FcResult result = FcResultNoMatch;
    const TFcPattern font(FcFontMatch(FConfig.get(), pattern, &result));
    FcChar8* file = nullptr;
    if (!font || FcPatternGetString(font.get(), FC_FILE, 0, &file) != FcResultMatch)
        throw EFontError("No installed font can stand for the font \"" + request.Name + "\"");

    TMatchedFace match;
    match.File = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(font.get(), FC_INDEX, 0, &match.Index) != FcResultMatch) match.Index = 0;
    match.Families = FaceFamilies(font.get());
    match.IsRequestedFamily = !IsGenericFamily(request.Name) && AnySameFamily(match.Families, declared);
    return match;
}

TMatchedFace TFontMatcher::MatchLanguage(const TFaceRequest& request, const std::string& language,
                                         std::span<const char32_t> characters) const {
    TFcPattern pattern(FcPatternCreate());
    const TFcLangSet languages(FcLangSetCreate());
    const TFcCharSet coverage(FcCharSetCreate());
    if (!pattern || !languages || !coverage) throw EFontError("Out of memory creating a font pattern");
    // Weak: a face of the report's name is welcome, but only among those
    // that draw the language.
    FcValue name{};
    name.type = FcTypeString;
    name.u.s = AsFc(request.Name);
    FcPatternAddWeak(pattern.get(), FC_FAMILY, name, FcTrue);
    if (!language.empty()) {
        FcLangSetAdd(languages.get(), AsFc(language));
        FcPatternAddLangSet(pattern.get(), FC_LANG, languages.get());
    }
    for (char32_t c : characters) FcCharSetAddChar(coverage.get(), static_cast<FcChar32>(c));
    FcPatternAddCharSet(pattern.get(), FC_CHARSET, coverage.get());
    // Glyph outlines a composite TrueType font can carry.
    FcPatternAddString(pattern.get(), FC_FONTFORMAT, reinterpret_cast<const FcChar8*>("TrueType"));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, request.Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, request.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    return BestMatch(pattern.get(), request);
}

}  // namespace tal::fonts
