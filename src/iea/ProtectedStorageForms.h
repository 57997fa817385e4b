#pragma once

namespace sweepora::iea {

// Internet Explorer before version 7 kept AutoComplete form entries in the protected
// storage service. Deletes them there and keeps the saved passwords of the same type.
// True when they are gone or the service is absent (as on newer systems and Wine).
bool ClearProtectedStorageForms();

} // namespace sweepora::iea
