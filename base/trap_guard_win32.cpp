// Linked into every program of the checked 64-bit twin, and only there. Wine,
// like 64-bit Windows, swallows an exception raised in a window procedure
// that the system reached through a callback (WM_PAINT among them): a check's
// trap there went unseen, and the program went on with the handler cut
// short. A vectored handler sees the trap before anything can swallow it and
// ends the program as the crash it is, after the system's crash report (under
// Wine, the backtrace on the error output).
#include <windows.h>

namespace {
// The trap the undefined-behaviour checks compile to (ud2, 0F 0B), in this
// program's own image: nobody else's illegal instruction is ours to judge.
bool IsCheckTrap(const EXCEPTION_RECORD& record) {
    if (record.ExceptionCode != EXCEPTION_ILLEGAL_INSTRUCTION) return false;
    HMODULE module = nullptr;
    const auto* at = static_cast<const unsigned char*>(record.ExceptionAddress);
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(at), &module) ||
        module != GetModuleHandleA(nullptr))
        return false;
    return at[0] == 0x0F && at[1] == 0x0B;
}

LONG CALLBACK EndAtCheckTrap(EXCEPTION_POINTERS* exception) {
    if (!IsCheckTrap(*exception->ExceptionRecord)) return EXCEPTION_CONTINUE_SEARCH;
    UnhandledExceptionFilter(exception);
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

const PVOID installed = AddVectoredExceptionHandler(1, EndAtCheckTrap);
}  // namespace
