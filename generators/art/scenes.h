// The five photographs, each a ray-marched scene of its own subject, all
// kPhotoWidth x kPhotoHeight and opaque.
#pragma once

#include "canvas.h"

Canvas paint_valley();      // alpine valley at golden hour, snow on the peaks
Canvas paint_still_life();  // spheres, a ring and a block on a table by a window
Canvas paint_lighthouse();  // a lighthouse on a rock in the sea at dusk
Canvas paint_colonnade();   // a stone colonnade in low afternoon sun
Canvas paint_dunes();       // desert dunes under a deep blue sky
