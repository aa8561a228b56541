// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_api.h"

#include <objbase.h>

#include <string>
#include <vector>

#include "program/command_line.h"
#include "program/program.h"
#include "runtime/win32/win32_backend.h"
#include "runtime/win32/win32_text.h"

namespace {

using quorvel::runtime::win32::narrow;
using quorvel::runtime::win32::widen;

std::vector<std::string> arguments() {
    std::vector<std::string> result;
    int count = 0;
    wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (list == nullptr) {
        return result;
    }
    for (int i = 1; i < count; ++i) {
        result.push_back(narrow(list[i]));
    }
    LocalFree(list);
    return result;
}

bool writeTo(HANDLE handle, const std::string& text) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = widen(text);
        return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written,
                             nullptr) != FALSE;
    }
    return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) !=
           FALSE;
}

// A GUI program has no console of its own: the text goes where the standard handles lead
// (redirected), else to the console of the program that started it, else into a message box.
void report(const std::string& text, bool error) {
    if (writeTo(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), text)) {
        return;
    }
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        const bool written = writeTo(console, text);
        if (console != INVALID_HANDLE_VALUE) {
            CloseHandle(console);
        }
        FreeConsole();
        if (written) {
            return;
        }
    }
    MessageBoxW(nullptr, widen(text).c_str(), L"Quorvel",
                MB_OK | (error ? MB_ICONSTOP : MB_ICONINFORMATION));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
    using quorvel::CommandLine;
    const CommandLine command = quorvel::parseCommandLine(arguments());
    switch (command.action) {
        case CommandLine::Action::ShowHelp:
        case CommandLine::Action::ShowVersion:
            report(command.output, false);
            return 0;
        case CommandLine::Action::Refuse:
            report(command.output, true);
            return 2;
        case CommandLine::Action::Run:
            break;
    }

    // ShellExecuteW may hand a target to a shell extension, which needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int status = 0;
    {
        quorvel::Program* program = nullptr;
        quorvel::runtime::win32::Win32Backend backend([&program](std::int16_t unloadMode) {
            if (program != nullptr) {
                program->requestEnd(unloadMode);
            }
        });
        quorvel::Program quorvel(backend.runtime());
        program = &quorvel;
        quorvel.start();
        status = backend.exec();
        program = nullptr;
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return status;
}
