// Any text splits without reading outside it, and the items never hold more characters than
// the text they came from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/CommandLineSplit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    std::size_t total = 0;
    for (const std::u16string& item : kelmor::core::SplitCommandLine(text)) total += item.size();
    if (total > text.size()) std::abort();
    return 0;
}
