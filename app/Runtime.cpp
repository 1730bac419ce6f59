// The exe's own versions of a few runtime pieces, each far smaller than the
// library's. Exceptions are caught only around opening the drive, where a
// failed allocation is one of them; every other error the library reports
// ends the program, as it would with the library's versions.

#include <cstdlib>
#include <new>

// The default terminate handler prints demangled type names to a console we
// do not have, and brings a 45 KB demangler into the exe.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    abort();
}
}  // namespace __gnu_cxx

// The library's versions build messages with its exception and string
// classes: about 50 KB for text that no one would see.
namespace std {
void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_alloc();
}
void __throw_length_error(const char*) {
    abort();
}
void __throw_logic_error(const char*) {
    abort();
}
void __throw_out_of_range(const char*) {
    abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    abort();
}
void __throw_invalid_argument(const char*) {
    abort();
}
}  // namespace std

// The runtime keeps its record of exceptions being handled per thread, in
// emulated thread-local storage (2.5 KB). Only this program's one thread
// throws, so one record will do. The layout is the runtime's own.
namespace __cxxabiv1 {
struct __cxa_eh_globals {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
};

extern "C" __cxa_eh_globals* __cxa_get_globals() noexcept {
    static __cxa_eh_globals globals;
    return &globals;
}

extern "C" __cxa_eh_globals* __cxa_get_globals_fast() noexcept {
    return __cxa_get_globals();
}
}  // namespace __cxxabiv1
