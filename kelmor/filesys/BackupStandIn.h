// Backup reading for a platform that lacks BackupRead and BackupSeek (it answers them "not
// supported"). Two functions of the same shape deliver the same backup data, made from what
// the platform does offer:
//   1. with processSecurity, the security descriptor (owner, group and DACL, self-relative, as
//      GetKernelObjectSecurity gives it) as security data (kind 3, "contains security");
//   2. for a file, its unnamed data stream (kind 1, the file's size and bytes);
//   3. the named data streams (kind 4, ":name:$DATA"), where the platform lists them through
//      NtQueryInformationFile(FileStreamInformation); where it cannot (Wine), the files named
//      "<name>:<stream>" beside the file or folder, which is where Wine puts the streams that
//      Windows programs write.
// In this order, which is the platform's, in the WIN32_STREAM_ID layout. The data of a stream
// are read from the file only when a caller reads them rather than skipping them.
#pragma once

#include <windows.h>

#include "BackupReadSource.h"

namespace kelmor {

class BackupStandIn {
public:
    // As BackupRead: the first call (a null *context) takes stock of the file; a call with
    // `abort` frees the context and ends the reading.
    static BOOL WINAPI Read(HANDLE file, LPBYTE buffer, DWORD bytesToRead, LPDWORD bytesRead, BOOL abort,
                            BOOL processSecurity, LPVOID* context);
    // As BackupSeek: skips data of the current stream only, never past its end; FALSE with
    // ERROR_SEEK when it could not move as far as asked.
    static BOOL WINAPI Seek(HANDLE file, DWORD lowBytesToSeek, DWORD highBytesToSeek, LPDWORD lowBytesSeeked,
                            LPDWORD highBytesSeeked, LPVOID* context);

    static const BackupFunctions& Functions();
};

}  // namespace kelmor
