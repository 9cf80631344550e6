#pragma once

// The slider's 32-bit colours on Qt. A plain colour is 0x00BBGGRR; a colour
// with the top bit set (0x800000nn) names the system colour with index nn,
// which is taken from the running platform's palette.

#include <QColor>
#include <QPalette>

#include "slider/slider_model.hpp"

namespace quorvane {

// The palette role that stands for the system colour with the given index;
// indices the system does not define fall back to the window colour.
QPalette::ColorRole systemColourRole(int index);

QColor toQColor(Colour colour, const QPalette& palette);

}  // namespace quorvane
