// The library's per-thread state, in one place. Every apartment (thread) that uses the library
// has its own copy, created on the thread's first use; only that thread ever touches it, so no
// lock guards it. Later members join this record rather than living in statics of their own.
#pragma once

#include <windows.h>

namespace kelmor {

class CEventLoggerStub;
struct PictureReaderSet;

struct ThreadGlobals {
    bool started = false;  // the start routine has run on this thread
    // The logger slot: the thread's event logger stub, one reference held; it lives from the
    // first to the last nvkMain object of the thread.
    CEventLoggerStub* logger = nullptr;
    LONG mainCount = 0;  // live nvkMain objects of the thread
    // The thread's picture readers, made on its first picture load; owned by the process-wide
    // list of PictureFormats_Global, which frees them when the library is unloaded.
    PictureReaderSet* pictureReaders = nullptr;
};

// This thread's copy.
ThreadGlobals& Globals();

}  // namespace kelmor
