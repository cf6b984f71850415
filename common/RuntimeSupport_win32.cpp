// Our own versions of the few C++ runtime entry points whose library versions drag large unused
// parts into every program: the verbose terminate handler links the symbol demangler and the C99
// printf family, and the library's std::__throw_* helpers (called by the inline code of string
// and vector) construct std::logic_error and friends, whose copy-on-write strings bring the old
// string ABI's instantiations and std::random_device with them.
//
// The exception state of each thread lives in a fiber-local slot of our own rather than in the
// runtime's emulated thread-local variable: that emulation is what links the posix thread
// library's once-flags, key tables, read-write locks and condition variables. The exception
// objects come from the heap through our own allocator: the library's guards its emergency
// pool with a posix mutex, which links the thread library's mutexes and clocks.
//
// Each definition here replaces a whole member of the static libstdc++: the object defines every
// symbol of the members it stands in for (functexcept.o, vterminate.o, eh_globals.o, and of
// eh_alloc.o all but the inline lock-error helpers, which are link-once), so the linker never
// takes those members as well. mw_common's link options make every program that
// links mw_common take this object.
#include <windows.h>

#include <cxxabi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <typeinfo>

#include "common/Exception.h"

namespace {
[[noreturn]] void ThrowText(const char* what)
{
    throw Exception(what);
}

void Say(const char* text)
{
    std::fputs(text, stderr);
}

// A thread's exception state as the C++ ABI lays it out: the stack of caught exceptions and the
// count of those thrown and not yet caught. The runtime reads and writes it; we only store it.
struct ExceptionState {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
};

void WINAPI FreeExceptionState(void* state)
{
    if (state)
        ::HeapFree(::GetProcessHeap(), 0, state);
}

// The slot is made on first use; a thread that loses the race to make it frees its own.
DWORD ExceptionStateSlot()
{
    static volatile LONG slot = static_cast<LONG>(FLS_OUT_OF_INDEXES);
    LONG current = slot;
    if (current != static_cast<LONG>(FLS_OUT_OF_INDEXES))
        return static_cast<DWORD>(current);
    const DWORD made = ::FlsAlloc(FreeExceptionState);
    if (made == FLS_OUT_OF_INDEXES)
        std::abort();
    current = ::InterlockedCompareExchange(&slot, static_cast<LONG>(made),
                                           static_cast<LONG>(FLS_OUT_OF_INDEXES));
    if (current == static_cast<LONG>(FLS_OUT_OF_INDEXES))
        return made;
    ::FlsFree(made);
    return static_cast<DWORD>(current);
}

ExceptionState* ThreadExceptionState()
{
    const DWORD slot = ExceptionStateSlot();
    auto* state = static_cast<ExceptionState*>(::FlsGetValue(slot));
    if (!state) {
        // Without it no exception can be thrown or caught: as the runtime does, end the program.
        state = static_cast<ExceptionState*>(
            ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ExceptionState)));
        if (!state || !::FlsSetValue(slot, state))
            std::abort();
    }
    return state;
}

// The runtime's record in front of every thrown object (__cxa_refcounted_exception) and the
// record of a rethrown exception_ptr (__cxa_dependent_exception), as this toolchain's C++ ABI
// lays them out for x86_64: their sizes are what the library's allocator adds and allocates.
constexpr size_t kThrownHeader = 160;
constexpr size_t kDependentRecord = 144;

// When the heap is exhausted, one exception at a time (the std::bad_alloc that says so) comes
// from here, as the library's emergency pool would give it.
alignas(16) unsigned char reserve[1024];
volatile LONG reserveTaken = 0;

// A block whose first `cleared` bytes are zero; ends the program when there is none, as the
// runtime does.
void* ExceptionBlock(size_t size, size_t cleared)
{
    void* block = std::malloc(size);
    if (!block && size <= sizeof reserve && ::InterlockedExchange(&reserveTaken, 1) == 0)
        block = reserve;
    if (!block)
        std::terminate();
    std::memset(block, 0, cleared);
    return block;
}

void FreeExceptionBlock(void* block)
{
    if (block == reserve)
        ::InterlockedExchange(&reserveTaken, 0);
    else
        std::free(block);
}
}  // namespace

namespace __cxxabiv1 {
extern "C" void* __cxa_allocate_exception(size_t size) noexcept
{
    return static_cast<unsigned char*>(ExceptionBlock(size + kThrownHeader, kThrownHeader)) +
           kThrownHeader;
}

extern "C" void __cxa_free_exception(void* object) noexcept
{
    FreeExceptionBlock(static_cast<unsigned char*>(object) - kThrownHeader);
}

extern "C" __cxa_dependent_exception* __cxa_allocate_dependent_exception() noexcept
{
    return static_cast<__cxa_dependent_exception*>(
        ExceptionBlock(kDependentRecord, kDependentRecord));
}

extern "C" void __cxa_free_dependent_exception(__cxa_dependent_exception* record) noexcept
{
    FreeExceptionBlock(record);
}

extern "C" __cxa_eh_globals* __cxa_get_globals() noexcept
{
    return reinterpret_cast<__cxa_eh_globals*>(ThreadExceptionState());
}

extern "C" __cxa_eh_globals* __cxa_get_globals_fast() noexcept
{
    return reinterpret_cast<__cxa_eh_globals*>(ThreadExceptionState());
}
}  // namespace __cxxabiv1

namespace std {
// The errors of the standard containers and strings ("basic_string::_M_create",
// "vector::_M_realloc_insert", ...) keep their texts; what reports them sees an std::exception
// whose what() is the library's text, as before.
void __throw_logic_error(const char* what) { ThrowText(what); }
void __throw_domain_error(const char* what) { ThrowText(what); }
void __throw_invalid_argument(const char* what) { ThrowText(what); }
void __throw_length_error(const char* what) { ThrowText(what); }
void __throw_out_of_range(const char* what) { ThrowText(what); }
void __throw_runtime_error(const char* what) { ThrowText(what); }
void __throw_range_error(const char* what) { ThrowText(what); }
void __throw_overflow_error(const char* what) { ThrowText(what); }
void __throw_underflow_error(const char* what) { ThrowText(what); }

// The library's format has only %s, %zu and %%, all of which Format writes the same way.
void __throw_out_of_range_fmt(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string what = FormatArgs(format, args);
    va_end(args);
    throw Exception(std::move(what));
}

// These carry no text and cost nothing: the standard types, as the library throws them.
void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
}  // namespace std

namespace __gnu_cxx {
// Frees what the library keeps for the program's lifetime, for leak checkers; our exception
// allocator keeps nothing.
void __freeres() noexcept {}

// std::terminate's default handler. It says what the library's verbose handler says, with the
// exception type's mangled name (no demangler), and ends the program through abort(), as before.
void __verbose_terminate_handler()
{
    static bool terminating = false;
    if (terminating) {
        Say("terminate called recursively\n");
        std::abort();
    }
    terminating = true;
    if (const std::type_info* type = abi::__cxa_current_exception_type()) {
        Say("terminate called after throwing an instance of '");
        Say(type->name());
        Say("'\n");
        try {
            throw;
        } catch (const std::exception& e) {
            Say("  what():  ");
            Say(e.what());
            Say("\n");
        } catch (...) {
        }
    } else {
        Say("terminate called without an active exception\n");
    }
    std::abort();
}
}  // namespace __gnu_cxx
