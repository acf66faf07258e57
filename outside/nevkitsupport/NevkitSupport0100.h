/* NevkitSupport0100.dll: the native support functions.
 *
 * Every function returns a status, 0 on success and a negative HRESULT on failure, and hands
 * its result through the trailing pointer. On failure that result is set to its empty value
 * (NULL BSTR, 0, VARIANT_FALSE, NULL pointer; INVALID_HANDLE_VALUE for a snapshot).
 *   0x800A0005  a bad argument (NULL result pointer, a value out of range, a text that the
 *               ANSI code page cannot hold, a text with an embedded NUL where a name is meant)
 *   0x800A0006  an overflow
 *   E_OUTOFMEMORY, or HRESULT_FROM_WIN32(error) of a failing system call
 * Texts come in as BSTR (NULL is the empty text) and go out as a new BSTR the caller frees
 * with SysFreeString. Pictures go out as IPictureDisp that owns its handle.
 * Formats and rules: README.md beside this header.
 */
#ifndef NEVKITSUPPORT0100_H
#define NEVKITSUPPORT0100_H

#include <windows.h>
#include <oleauto.h>
#include <ocidl.h>
#include <tlhelp32.h>

#ifdef NEVKITSUPPORT_BUILDING
#define NKAPI LONG __stdcall
#else
#define NKAPI __declspec(dllimport) LONG __stdcall
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The program and its host */
NKAPI nkIsHostWinNT(VARIANT_BOOL* result);
NKAPI nkIsInIDE(VARIANT_BOOL* result);
NKAPI nkRegisterAppPath(VARIANT_BOOL* result);
NKAPI nkGetEXEModuleFullFileName(BSTR* result);
NKAPI nkGetEXEModulePrettyFileName(BSTR* result);
NKAPI nkGetThunderMainTitle(BSTR* result);
NKAPI nkReadStringFromPrivateINI(BSTR section, BSTR key, BSTR defaultValue, BSTR* result);
NKAPI nkGetUserName(BSTR* result);
NKAPI nkGetComputerName(BSTR* result);
NKAPI nkGetHostOSFullName(LONG withVersion, LONG withServicePack, BSTR* result);

/* Resources, icons, windows, pictures */
NKAPI nkLoadResTextA(BSTR name, BSTR type, BSTR* result);
NKAPI nkLoadResIcon(BSTR name, IPictureDisp** result);
NKAPI nkLoadResIconSmall(BSTR name, IPictureDisp** result);
NKAPI nkLoadResIconEx(BSTR name, HINSTANCE module, IPictureDisp** result);
NKAPI nkLoadResIconSmallEx(BSTR name, HINSTANCE module, IPictureDisp** result);
NKAPI nkSetWindowIconAll(HWND window, HICON largeIcon, HICON smallIcon);
NKAPI nkGetWindowIcon(HWND window, IPictureDisp** result);
NKAPI nkGetWindowIconSmall(HWND window, IPictureDisp** result);
NKAPI nkCenterFormEx(HWND window, VARIANT_BOOL* result);
NKAPI nkGetBitmapFromHandle(HBITMAP bitmap, IPictureDisp** result);

/* Number texts and numbers */
NKAPI nkFormatLong(LONG value, BSTR* result);
NKAPI nkFormatDouble(double value, BSTR* result);
NKAPI nkFormatInt64(double value, BSTR* result);
NKAPI nkFormatByteSize(double bytes, BSTR* result);
NKAPI nkFormatVersion(LONG major, LONG minor, LONG revision, BSTR* result);
NKAPI nkHexEx4(LONG value, BSTR* result);
NKAPI nkMakeLong(LONG low, LONG high, LONG* result);
NKAPI nkLargeIntegerToDouble(LARGE_INTEGER count, double* result);
NKAPI nkGetErrorNumber(LONG number, BSTR* result);

/* Texts and paths */
NKAPI nkGetStringFromPointerA(const void* address, BSTR* result);
NKAPI nkGetStringFromPointerW(const void* address, BSTR* result);
NKAPI nkTrimEx(BSTR text, BSTR* result);
NKAPI nkOemToAnsi(BSTR text, BSTR* result);
NKAPI nkBuildFileName(BSTR folder, BSTR name, BSTR* result);
NKAPI nkIsFileExist(BSTR path, VARIANT_BOOL* result);
NKAPI nkGetLongFileName(BSTR path, BSTR* result);

/* Error texts */
NKAPI nkGetAPIErrorDescription(LONG code, BSTR* result);
NKAPI nkGetWinMMErrorDescription(LONG code, BSTR* result);

/* Processes and modules */
NKAPI nkCreateToolhelp32Snapshot(LONG flags, LONG processId, HANDLE* result);
NKAPI nkModule32First(HANDLE snapshot, MODULEENTRY32W* entry, VARIANT_BOOL* filled);
NKAPI nkModule32Next(HANDLE snapshot, MODULEENTRY32W* entry, VARIANT_BOOL* filled);
NKAPI nkGetModulePreferredBaseAddr(LONG processId, LONG_PTR baseAddress, LONG_PTR* result);
NKAPI nkEnableDebugPrivilege(LONG enable, VARIANT_BOOL* result);
NKAPI nkOutputDebugString(BSTR text, VARIANT_BOOL* result);

#ifdef __cplusplus
}
#endif

#undef NKAPI

#endif /* NEVKITSUPPORT0100_H */
