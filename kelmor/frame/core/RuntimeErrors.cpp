#include "RuntimeErrors.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kelmor::core {
namespace {

struct Entry {
    std::int32_t number;
    std::u16string_view text;
};

// Sorted by number: looked up by binary search.
constexpr std::array kTexts = {
    Entry{3, u"Return without GoSub"},
    Entry{5, u"Invalid procedure call or argument"},
    Entry{6, u"Overflow"},
    Entry{7, u"Out of memory"},
    Entry{9, u"Subscript out of range"},
    Entry{10, u"This array is fixed or temporarily locked"},
    Entry{11, u"Division by zero"},
    Entry{13, u"Type mismatch"},
    Entry{14, u"Out of string space"},
    Entry{17, u"Can't perform requested operation"},
    Entry{28, u"Out of stack space"},
    Entry{35, u"Sub or Function not defined"},
    Entry{48, u"Error in loading DLL"},
    Entry{49, u"Bad DLL calling convention"},
    Entry{51, u"Internal error"},
    Entry{52, u"Bad file name or number"},
    Entry{53, u"File not found"},
    Entry{54, u"Bad file mode"},
    Entry{55, u"File already open"},
    Entry{57, u"Device I/O error"},
    Entry{58, u"File already exists"},
    Entry{59, u"Bad record length"},
    Entry{61, u"Disk full"},
    Entry{62, u"Input past end of file"},
    Entry{63, u"Bad record number"},
    Entry{67, u"Too many files"},
    Entry{68, u"Device unavailable"},
    Entry{70, u"Permission denied"},
    Entry{71, u"Disk not ready"},
    Entry{74, u"Can't rename with different drive"},
    Entry{75, u"Path/File access error"},
    Entry{76, u"Path not found"},
    Entry{91, u"Object variable or With block variable not set"},
    Entry{92, u"For loop not initialized"},
    Entry{93, u"Invalid pattern string"},
    Entry{94, u"Invalid use of Null"},
    Entry{380, u"Invalid property value"},
    Entry{381, u"Invalid property array index"},
    Entry{382, u"Set not supported at runtime"},
    Entry{383, u"Set not supported (read-only property)"},
    Entry{385, u"Need property array index"},
    Entry{387, u"Set not permitted"},
    Entry{393, u"Get not supported at runtime"},
    Entry{394, u"Get not supported (write-only property)"},
    Entry{422, u"Property not found"},
    Entry{423, u"Property or method not found"},
    Entry{424, u"Object required"},
    Entry{429, u"ActiveX component can't create object"},
    Entry{430, u"Class does not support Automation or does not support expected interface"},
    Entry{432, u"File name or class name not found during Automation operation"},
    Entry{438, u"Object doesn't support this property or method"},
    Entry{440, u"Automation error"},
    Entry{445, u"Object doesn't support this action"},
    Entry{446, u"Object doesn't support named arguments"},
    Entry{447, u"Object doesn't support current locale setting"},
    Entry{448, u"Named argument not found"},
    Entry{449, u"Argument not optional"},
    Entry{450, u"Wrong number of arguments or invalid property assignment"},
    Entry{451, u"Property let procedure not defined and property get procedure did not return an object"},
    Entry{452, u"Invalid ordinal"},
    Entry{453, u"Specified DLL function not found"},
    Entry{454, u"Code resource not found"},
    Entry{455, u"Code resource lock error"},
    Entry{457, u"This key is already associated with an element of this collection"},
    Entry{458, u"Variable uses an Automation type not supported in Visual Basic"},
    Entry{459, u"Object or class does not support the set of events"},
    Entry{460, u"Invalid clipboard format"},
    Entry{461, u"Method or data member not found"},
    Entry{462, u"The remote server machine does not exist or is unavailable"},
    Entry{463, u"Class not registered on local machine"},
    Entry{481, u"Invalid picture"},
    Entry{482, u"Printer error"},
    Entry{735, u"Can't save file to TEMP"},
    Entry{744, u"Search text not found"},
    Entry{746, u"Replacements too long"},
};

static_assert(std::is_sorted(kTexts.begin(), kTexts.end(),
                             [](const Entry& a, const Entry& b) { return a.number < b.number; }));

constexpr std::u16string_view kGeneric = u"Application-defined or object-defined error";

}  // namespace

std::u16string_view RuntimeErrorText(std::int32_t number) {
    auto it = std::lower_bound(kTexts.begin(), kTexts.end(), number,
                               [](const Entry& e, std::int32_t n) { return e.number < n; });
    return it != kTexts.end() && it->number == number ? it->text : kGeneric;
}

}  // namespace kelmor::core
