// A rule that reaches up into the run modes.
#include "app/cli.h"
#include "render/camera.h"
