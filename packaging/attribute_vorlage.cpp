// Writes the default Attribute.txt that an installed program copies for each user.
#include "check/attributliste.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trelvik_attribute_vorlage OUT.txt\n");
        return 2;
    }
    if (!trelvik::schreibeStandardAttribute(argv[1])) {
        std::fprintf(stderr, "trelvik_attribute_vorlage: cannot write %s\n", argv[1]);
        return 2;
    }
    return 0;
}
