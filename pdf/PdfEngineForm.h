#pragma once
// The settings the PDF engine's main dialog gives its renderer.
#include "pdf/RpRenderPDF.h"

namespace tal {

// EmbedFonts and SubsetFonts on, ImageQuality 90, MetafileDPI 300, no compression, the
// component's DocInfo. FontEncoding stays WinAnsiEncoding: the report's
// bytes are Windows-1252 and the width tables follow that encoding.
inline void ApplyEngineFormSettings(TRvRenderPDF& render) {
    render.EmbedFonts = true;
    render.SubsetFonts = true;
    render.SetImageQuality(90);
    render.MetafileDPI = 300;
    render.FontEncoding = feWinAnsiEncoding;
    render.UseCompression = false;
}

}  // namespace tal
