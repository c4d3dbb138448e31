// The content painters, one per kind of element.
#pragma once

#include "canvas/painting/ImageContentPainter.h"
#include "canvas/painting/Text3DContentPainter.h"
#include "canvas/painting/TextContentPainter.h"
#include "canvas/painting/VectorContentPainter.h"
