#pragma once

#include "sys/Failure.h"

#include <exception>

namespace ornibe {

// An exception that no step of the program caught, in the program's
// words, for the last handlers that stand between it and the end of the
// program (the mains, the hooks of the pages, the wizard's event loop):
// the headline says that the work was stopped, the reason why (too little memory,
// the file and the system's reason of a file error, or the exception's own
// text).
Failure unexpectedFailure(std::exception_ptr error);

} // namespace ornibe
