// Starting a program, as the forms runtime's Shell does: the command line runs with its window
// shown normally and focused; the caller does not wait for it.
#pragma once

#include <string>

namespace tessel {

// Starts `commandLine`. A program that cannot be found raises runtime error 53 (file not
// found); any other refusal of the system raises its error code. Throws RuntimeError.
void Shell(const std::wstring& commandLine);

}  // namespace tessel
