#include "win32/HostProcess.h"

#include "base/Files.h"
#include "base/Text.h"

#include <cstdlib>

#include <windows.h>

namespace tabulix::testing {

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path().wstring();
}

} // namespace

THostRun RunHostScript(const std::string& script, const std::filesystem::path& folder) {
    const std::filesystem::path scriptFile = folder / "script.txt";
    WriteFileBytes(scriptFile, script);
    const std::wstring programs = ProgramFolder();
    std::wstring commandLine = L"\"" + programs + L"\\tabulix-host.exe\" -v \"" + programs + L"\\Tabulix.dll\" \"" +
                               scriptFile.wstring() + L"\"";

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    THostRun run;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.wstring().c_str(),
                        &startup, &process)) {
        run.ExitCode = 1000 + GetLastError();
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return run;
    }
    CloseHandle(writeEnd);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0) run.Output.append(buffer, read);
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &run.ExitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(readEnd);
    return run;
}

std::string Windows(const std::filesystem::path& path) { return Utf16ToUtf8(PathToText(path)); }

void KeepScreenshots(const std::filesystem::path& folder, std::initializer_list<const char16_t*> names) {
    const char* keep = std::getenv("TABULIX_KEEP_SCREENSHOTS");
    if (!keep || !*keep) return;
    for (const char16_t* name : names) {
        if (!std::filesystem::exists(folder / name)) continue;
        std::filesystem::copy_file(folder / name, std::filesystem::path(keep) / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

} // namespace tabulix::testing
