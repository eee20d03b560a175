#include "platform/pictures/MetafilePlayer.h"

namespace tal::pictures {

void PlayMetafile(const TByteView&, const TMetafileInfo&, cairo_t*, const TDestRect&) {}

}  // namespace tal::pictures
