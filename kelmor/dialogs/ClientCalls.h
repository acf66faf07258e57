// Calls on client objects by member name, as a late-binding client makes them: the tab control
// calls its pages' `Visible` and `ZOrder` this way and reads an array-like object's bounds and
// elements, so any automation object with those members will do.
//
// Every failure comes back as the error a late-binding client would raise, with its error
// information set: 91 for no object, 438 for an object without the member, the object's own
// error when it raised one, 13 / 449 / 450 / 6 for the argument failures IDispatch reports,
// anything else passed on with `source`.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace kelmor::late {

// Calls method `name` without arguments.
HRESULT CallMethod(IDispatch* object, const wchar_t* name, const std::wstring& source);

// Assigns `value` to property `name`.
HRESULT PutProperty(IDispatch* object, const wchar_t* name, VARIANT value, const std::wstring& source);

// Reads property `name` as a 32-bit integer.
HRESULT GetLong(IDispatch* object, const wchar_t* name, LONG* result, const std::wstring& source);

// Calls the object's default member with one index: `object(index)`.
HRESULT GetDefaultItem(IDispatch* object, LONG index, VARIANT* result, const std::wstring& source);

}  // namespace kelmor::late
