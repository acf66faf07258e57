// Reading members of a client's automation object by name at run time, as a late-binding
// client does: the library calls forms and controls this way, so any object with the member
// will do.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace kelmor {

// Value of property `name` of `object`. Failures come back as the errors a late-binding
// client raises: 91 for no object, 438 for an object without the member, the object's own
// error when it raised one, and any other failure passed on with `source`.
HRESULT GetPropertyByName(IDispatch* object, const wchar_t* name, VARIANT* result,
                          const std::wstring& source);

}  // namespace kelmor
