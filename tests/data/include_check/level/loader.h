#pragma once
#include "render/device.h"
