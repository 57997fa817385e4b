#pragma once
#include "controls/CellStrip.h"

namespace sweepora {

// The check box strip, 13 x 156, 24-bit: 12 cells of 13 x 13, cell 4 x value + look
// (value 0 unchecked, 1 checked, 2 grayed; look 0 normal, 1 hover, 2 pressed, 3 disabled).
CellStrip CheckBoxArtwork();
// The radio button's eight images of 16 x 16, one cell each: 4 x (1 when on) + look.
CellStrip RadioButtonArtwork();
// The command button strip, 90 x 21 in 256 colours: five cells of 18 x 21, in the order
// normal, pressed, disabled, hover, emphasised.
CellStrip CommandButtonArtwork();

} // namespace sweepora
