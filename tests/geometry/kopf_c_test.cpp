// The header read by a C compiler gives the records the same layout as in C++.
#include "trelvik_geometrie.h"

#include <cstddef>
#include <gtest/gtest.h>

extern "C" const std::size_t trelvikLayoutC[10];

TEST(KopfAlsC, SatzlayoutWieInCpp) {
    const std::size_t cpp[] = {sizeof(Punkt),        offsetof(Punkt, y),
                               sizeof(PunktF),       offsetof(PunktF, y),
                               sizeof(Segmentkreis), offsetof(Segmentkreis, radius),
                               sizeof(Ansicht),      offsetof(Ansicht, shiftY),
                               sizeof(Zielrechteck), offsetof(Zielrechteck, bottom)};
    for (std::size_t k = 0; k < std::size(cpp); ++k)
        EXPECT_EQ(trelvikLayoutC[k], cpp[k]) << "entry " << k;
}
