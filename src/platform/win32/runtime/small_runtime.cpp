// The run-time pieces that the shipped Windows programs (the engine and the
// uninstaller) take from here instead of from the C++ library.
//
// These programs are built without exceptions, so nothing may throw: the
// library's allocation operators and its throw helpers would otherwise bring
// in the whole unwinder, the exception classes and the name demangler, which
// is most of the size of a statically linked program.
//
//  - Allocation: the plain operators ask malloc and, when it has nothing left,
//    end the program through OutOfMemory(): "Not Enough Memory" in a message
//    box, then exit code 2, the code of a failed run. The nothrow operators
//    return null as the language says; the callers that use them (the copy
//    and extraction buffers) show their own messages.
//  - The library's throw helpers, reached only when a container is misused
//    (a length beyond max_size(), an index out of range), end the program the
//    same way with exit code 3: a program fault, never a state to carry on in.
//
// Only quorril.exe and unstall.exe link this file; the tests keep the
// library's own operators.
#include "platform/win32/handles.h"  // <windows.h>

#include <cstdlib>
#include <new>
#include <string>

namespace {

[[noreturn]] void EndProgram(const char* text, UINT code) {
  // MB_SYSTEMMODAL: the box needs no owner window and no memory of ours.
  MessageBoxA(nullptr, text, nullptr, MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
  ExitProcess(code);
}

[[noreturn]] void OutOfMemory() { EndProgram("Not Enough Memory", 2); }

[[noreturn]] void ProgramFault() { EndProgram("Internal error: the program ended.", 3); }

void* Allocate(std::size_t size) {
  if (void* block = std::malloc(size ? size : 1)) return block;
  OutOfMemory();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace std {

void __throw_bad_alloc() { OutOfMemory(); }
void __throw_bad_array_new_length() { OutOfMemory(); }
void __throw_length_error(const char*) { ProgramFault(); }
void __throw_logic_error(const char*) { ProgramFault(); }
void __throw_out_of_range(const char*) { ProgramFault(); }
void __throw_out_of_range_fmt(const char*, ...) { ProgramFault(); }
void __throw_invalid_argument(const char*) { ProgramFault(); }
void __throw_bad_function_call() { ProgramFault(); }

}  // namespace std

// The library's own copy of the string members is compiled with exceptions
// and brings the unwinder with it; this one is compiled like the rest of the
// program, and the linker takes it first.
template class std::basic_string<char>;
