#pragma once
#include "controls/GdiObjects.h"

namespace sweepora {

// The program's icon, drawn by the program: a blue disc with a white "S" and a green
// sweep below it, `size` pixels square.
UniqueIcon ProgramIcon(int size);

} // namespace sweepora
