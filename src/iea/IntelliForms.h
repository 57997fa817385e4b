#pragma once

namespace sweepora::iea {

// Where Internet Explorer 7 and later keep the AutoComplete form entries of the user.
constexpr const char* kIntelliFormsStorageKey = "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1";

// Deletes every value of the Storage1 key and keeps the key. True when none is left
// (a missing key included).
bool ClearIntelliFormsStorage();

} // namespace sweepora::iea
