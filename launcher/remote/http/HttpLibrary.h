#pragma once
// cpp-httplib as the console uses it. A header line longer than this is refused: the library
// matches some headers with std::regex, whose recursion grows with the text.
#define CPPHTTPLIB_HEADER_MAX_LENGTH 2048
#define CPPHTTPLIB_REQUEST_URI_MAX_LENGTH 2048
#include <httplib.h>
