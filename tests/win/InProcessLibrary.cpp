// Test programs that link the library's code run without the DLL's entry point: errors of the
// library's objects name their class as they do in the DLL.
#include "ClassTable.h"
#include "ErrorInfo.h"

namespace {

const bool g_named = (kelmor::SetErrorSourceNamer(&kelmor::ClassErrorSource), true);

}  // namespace
