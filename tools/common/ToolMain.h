#pragma once

#include <exception>
#include <new>
#include <ostream>

namespace ornibe {

// Runs a tool's main function. An exception that escapes it (too little
// memory above all) ends the tool as its own failures do, with
// "name: reason" on err and the status failure, never with
// std::terminate, which leaves no reason and a core file.
template <typename Run>
int runToolMain(const char* name, int failure, std::ostream& err, Run&& run) {
    try {
        return run();
    } catch (const std::bad_alloc&) {
        err << name << ": out of memory\n";
    } catch (const std::exception& error) {
        err << name << ": " << error.what() << '\n';
    } catch (...) {
        err << name << ": unexpected error\n";
    }
    return failure;
}

} // namespace ornibe
