// Compiled into every test executable: the machine's own system-wide printer mapping is never
// read, so a desk or developer machine that has one runs the tests as any other does. A test
// that needs one points the path at a temporary file.
#include "printers/PrinterMapping.h"

namespace {

[[maybe_unused]] const bool kNoSystemMapping = (hanlabel::SetSystemPrinterMappingFile(QString()), true);

} // namespace
