#pragma once
// Plays Windows and enhanced metafiles onto a cairo context: the records are
// interpreted with their device context (mapping, objects, paths, clipping)
// and drawn so that the metafile's frame fills the destination rectangle.
#include <cairo.h>

#include "platform/pictures/ByteView.h"
#include "platform/pictures/Metafile.h"
#include "platform/pictures/PictureBudget.h"

namespace tal::pictures {

struct TDestRect {
    double Left = 0, Top = 0, Width = 0, Height = 0;
};

// Unknown records are skipped; malformed ones are skipped as far as they are
// malformed (a count past the record's end draws nothing). Never reads
// outside bytes. The drawing is charged to budget (a picture's own budget
// when none is given); one that spends it raises EPictureBudget.
void PlayMetafile(const TByteView& bytes, const TMetafileInfo& info, cairo_t* cr, const TDestRect& dest,
                  TPictureBudget* budget = nullptr);

}  // namespace tal::pictures
