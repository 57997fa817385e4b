#pragma once
// The commands that begin with the Open dialog: the front ends ask, the engine erases.
#include "engine/Session.h"

namespace sweepora {

// "Select a File to Delete": erases the file picked in the Open dialog, at the user's level.
void EradicateChosenFile(Session& session);

// "Import": copies the picked plugin file into the plugin folder and lists it; a file that
// cannot be imported gets the "Import Failure" box.
void ImportPlugin(Session& session);

} // namespace sweepora
