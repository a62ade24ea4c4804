#include "render/draw_flags.h"

DrawFlags drawFlags;
