// The application object of a program built on this project: its title, version numbers and
// version texts as its version resource gives them, its file name and folder.
#pragma once

#include "App.h"

namespace kelmor {

class AppObject final : public App {
public:
    // The application object of `module` (the running program when null), one reference held
    // by the caller; nullptr when out of memory. A module without a version resource has
    // version 0.0.0, empty texts and its file name as its title.
    static AppObject* New(HMODULE module = nullptr);

    explicit AppObject(HMODULE module);
};

}  // namespace kelmor
