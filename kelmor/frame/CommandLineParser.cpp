#include "CommandLineParser.h"

namespace kelmor {

HRESULT CommandLineParser::CreateInstance(REFIID riid, void** ppv) { return Create<CommandLineParser>(riid, ppv); }

// Members not built yet.
HRESULT CommandLineParser::get_Count(LONG *) { return E_NOTIMPL; }
HRESULT CommandLineParser::get_Item(LONG, BSTR *) { return E_NOTIMPL; }
HRESULT CommandLineParser::SetNewCommandLine(BSTR, VARIANT_BOOL) { return E_NOTIMPL; }

}  // namespace kelmor
