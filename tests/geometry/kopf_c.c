/* The library header compiled as C (C99, pedantic, warnings as errors), so every declaration
 * must be plain C; the record layouts as a C compiler sees them, for kopf_c_test.cpp. */
#include "trelvik_geometrie.h"

#include <stddef.h>

const size_t trelvikLayoutC[] = {
    sizeof(Punkt),        offsetof(Punkt, y),         sizeof(PunktF),
    offsetof(PunktF, y),  sizeof(Segmentkreis),       offsetof(Segmentkreis, radius),
    sizeof(Ansicht),      offsetof(Ansicht, shiftY),  sizeof(Zielrechteck),
    offsetof(Zielrechteck, bottom)};
