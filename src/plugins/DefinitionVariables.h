#pragma once
// The %variables% a definition's paths may use.
#include "plugins/DefinitionsFile.h"

#include <string>
#include <string_view>
#include <vector>

namespace sweepora {

// Every expansion of `text`: one per combination of the folders its variables stand for,
// names matched without regard to case. Empty, with `unknown` set to the first such name as
// written, when a variable has no value here. A "%" that does not enclose a name stays.
std::vector<std::string> ExpandDefinitionVariables(std::string_view text, const DefinitionEnvironment& environment,
                                                   std::string* unknown = nullptr);

} // namespace sweepora
