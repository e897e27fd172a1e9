#pragma once
// Painting every record of an open shapefile onto a drawing surface: polygons as even-odd
// paths (holes stay open), lines as open figures, points as small circles, and optionally a
// label per record with the value of one attribute field.
#include "view/zeichnen.h"

#include <cstdint>

namespace trelvik {

class VunInterface;

// Draws every record of the file set open in `vun`. `beschriftungsFeld` (1-based; 0 = no
// labels) chooses the label field, a number beyond the table's fields the last one.
// `nurUmriss` non-zero: polygons and point circles are not filled. `verschiebungX/Y` is
// subtracted from every coordinate before the conversion into pixels; pass the lower-left
// corner of the visible area (ScaleLeft, ScaleTop + ScaleHeight). Labels are drawn in
// `beschriftungsFarbe`, fills with `fuellAlpha`. False when no file set is open.
bool Shape_DrawAll(VunInterface& vun, Zeichenflaeche& flaeche, std::int32_t beschriftungsFeld,
                   std::int32_t nurUmriss, double verschiebungX, double verschiebungY,
                   std::int32_t beschriftungsFarbe, std::int32_t fuellAlpha);

} // namespace trelvik
