// Every export of Corvex with calls that break one argument rule each and one
// call with valid arguments, for the tests of the argument and open checks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// What a call with valid arguments does on an open device.
enum class WhenOpen {
  CardWork,  // talks to the card on the reader
  Succeeds,  // succeeds without any traffic
  Special,   // open, close, last error detail: tested on their own
};

struct ExportCase {
  std::string name;
  std::vector<std::function<std::int32_t()>> invalid;    // each gives CORVEX_INVALID_ARGUMENT
  std::vector<std::function<std::int32_t()>> too_small;  // each gives CORVEX_BUFFER_TOO_SMALL
  std::function<std::int32_t()> valid;
  WhenOpen when_open;
};

// All 50 exports, in the order of the .def file.
const std::vector<ExportCase>& ExportCases();

// Whether `status` is what the valid call of export `name` may give when the
// table's valid calls run in order on an open device with a blank card:
// success, except that the PIN check may find no PIN or a wrong one and the
// charges may meet the limit the table's writes left.
bool AcceptableInOrder(const std::string& name, std::int32_t status);

}  // namespace testing_support
