#pragma once
#include "seams/render_device.h"
