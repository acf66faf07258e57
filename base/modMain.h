// The library's start routine.
#pragma once

namespace kelmor::modMain {

// Runs once per thread, before the first object of the library is made on that thread: seeds
// the thread's pseudo-random generator from the system timer. Nothing else happens at load;
// each class initialises itself on creation. Returns true when this call ran it.
bool StartThread();

}  // namespace kelmor::modMain
