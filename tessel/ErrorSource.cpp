// The source named by errors that the forms objects inside the program raise (its application
// object, error objects): the program itself. In the library the same function looks the class
// up in its class table; the program has no such table and links no library code.
#include <windows.h>

#include <string>

#include "RuntimeError.h"

namespace kelmor {

std::wstring ErrorSourceOf(REFIID) {
    return tessel::kErrorSource;
}

}  // namespace kelmor
