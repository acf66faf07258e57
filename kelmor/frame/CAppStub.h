// The substitute application object for callers without one: a title and three version numbers
// for the event logger, inert answers for everything else.
#pragma once

#include <string>

#include "App.h"

namespace kelmor {

class CAppStub final : public App {
public:
    // A new stub with an empty title and version 0.0.0, one reference held by the caller;
    // nullptr when out of memory.
    static CAppStub* New();

    // Stores the title and the version numbers.
    void Init(const std::wstring& title, short major, short minor, short revision);
};

}  // namespace kelmor
