#include "SkinChoice.h"

int NextSkinNumber(int current, int count) {
    // Compared before adding: the number can be the largest an int holds.
    if (current < 0 || current >= count - 1)
        return 0;
    return current + 1;
}
