#pragma once
// A file that follows the layers.
#include <cmath>
