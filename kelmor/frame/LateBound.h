// Calls on client objects by member name, as a late-binding client makes them: forms, controls,
// pages, application objects and the outside logger are called this way, so any automation
// object with the member will do.
//
// Every failure comes back as the error a late-binding client would raise, with the thread's
// error information set: 91 for no object, 438 for an object without the member, the object's
// own error (number, text, source) when it raised one, 13 / 449 / 450 / 6 for the argument
// failures IDispatch reports, anything else passed on with `source`.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <span>
#include <string>

namespace kelmor::late {

// Arguments for Call, borrowing the caller's values (nothing to clear afterwards).
inline VARIANT TextArg(BSTR text) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = text;
    return v;
}
inline VARIANT LongArg(LONG value) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}
inline VARIANT ObjectArg(IDispatch* object) {
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    return v;
}

// Calls member `name` of `object` (nullptr: the default member). `kind` is DISPATCH_METHOD,
// DISPATCH_PROPERTYGET (an object that has the member as a method answers too),
// DISPATCH_PROPERTYPUT or DISPATCH_PROPERTYPUTREF (the value last in `args`). `args` are in the
// member's parameter order; `result` may be null.
HRESULT Call(IDispatch* object, const wchar_t* name, WORD kind, std::span<VARIANT> args, VARIANT* result,
             const std::wstring& source);

// Calls method `name` without arguments.
HRESULT CallMethod(IDispatch* object, const wchar_t* name, const std::wstring& source);

// Assigns `value` to property `name`.
HRESULT PutProperty(IDispatch* object, const wchar_t* name, VARIANT value, const std::wstring& source);

// Reads property `name`.
HRESULT GetProperty(IDispatch* object, const wchar_t* name, VARIANT* result, const std::wstring& source);

// Reads property `name` as a 32-bit integer.
HRESULT GetLong(IDispatch* object, const wchar_t* name, LONG* result, const std::wstring& source);

// Calls the object's default member with one index: `object(index)`.
HRESULT GetDefaultItem(IDispatch* object, LONG index, VARIANT* result, const std::wstring& source);

}  // namespace kelmor::late
