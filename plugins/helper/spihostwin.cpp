// The plug-in helper for 32-bit Windows plug-ins, built with the mingw-w64
// i686 compiler and run by Wine. It runs the same request loop as the native
// helper (requestloop.h) over its standard input and output, and writes
// decoded bitmaps into the file named by its first argument, which the
// program maps. What differs is the plug-in's side: 32-bit stdcall entry
// points, a 26-byte PictureInfo with a 32-bit handle, texts and file names
// in code page 932, and Windows paths.
#include "requestloop.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>

using namespace nubivu::helper;

namespace
{

#pragma pack(push, 1)
struct WinPictureInfo {
    LONG left, top, width, height;
    WORD xDensity, yDensity;
    SHORT colorDepth;
    HLOCAL textInfo;
};
#pragma pack(pop)
static_assert(sizeof(WinPictureInfo) == 26, "the interface's PictureInfo is 26 bytes");

typedef int(__stdcall *ProgressFn)(int done, int total, LONG data);
typedef int(__stdcall *GetPluginInfoFn)(int infono, LPSTR buf, int buflen);
typedef int(__stdcall *IsSupportedFn)(LPCSTR filename, DWORD probe);
typedef int(__stdcall *GetPictureInfoFn)(LPCSTR source, LONG len, UINT flag, WinPictureInfo *info);
typedef int(__stdcall *GetPictureFn)(LPCSTR source, LONG len, UINT flag, HLOCAL *info, HLOCAL *bits,
                                     ProgressFn progress, LONG data);

constexpr UINT kCodePage = 932;
constexpr UINT kSourceMemory = 1;

// A fault in the plug-in ends this process quietly: no debugger, no dialog.
LONG WINAPI lastChance(EXCEPTION_POINTERS *)
{
    ExitProcess(3);
    return EXCEPTION_EXECUTE_HANDLER;
}

std::wstring wide(std::string_view text, UINT codePage)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &w[0], n);
    return w;
}

std::string narrow(const std::wstring &text, UINT codePage, bool *lossy = nullptr)
{
    if (lossy)
        *lossy = false;
    if (text.empty())
        return {};
    BOOL usedDefault = FALSE;
    const bool ansi = codePage != CP_UTF8;
    const int n =
        WideCharToMultiByte(codePage, ansi ? WC_NO_BEST_FIT_CHARS : 0, text.data(),
                            int(text.size()), nullptr, 0, nullptr, ansi ? &usedDefault : nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(codePage, ansi ? WC_NO_BEST_FIT_CHARS : 0, text.data(), int(text.size()),
                        &s[0], n, nullptr, ansi ? &usedDefault : nullptr);
    if (lossy)
        *lossy = usedDefault != FALSE;
    return s;
}

// A plug-in's text (code page 932) as the program reads it (UTF-8).
std::string toProgram(const char *text)
{
    return narrow(wide(text, kCodePage), CP_UTF8);
}

// The program's file name (a POSIX path in UTF-8) as a Wine path: the root
// of the Unix file system is drive Z.
std::wstring winePath(std::string_view posix)
{
    std::wstring w = L"Z:" + wide(posix, CP_UTF8);
    for (wchar_t &c : w)
        if (c == L'/')
            c = L'\\';
    return w;
}

int __stdcall relayProgress(int done, int total, LONG)
{
    return RequestLoop::relayProgress(done, total);
}

class WindowsPlatform final : public Platform
{
  public:
    WindowsPlatform(HANDLE channelIn, HANDLE channelOut, HANDLE sharedFile)
        : channelIn_(channelIn), channelOut_(channelOut), sharedFile_(sharedFile)
    {
    }

    size_t readSome(char *p, size_t size) override
    {
        DWORD n = 0;
        return ReadFile(channelIn_, p, DWORD(size), &n, nullptr) ? n : 0;
    }

    size_t writeSome(const char *p, size_t size) override
    {
        DWORD n = 0;
        return WriteFile(channelOut_, p, DWORD(size), &n, nullptr) ? n : 0;
    }

    [[noreturn]] void quit() override
    {
        ExitProcess(0);
    }

    bool resizeShared(uint64_t size) override
    {
        LARGE_INTEGER position{};
        position.QuadPart = LONGLONG(size);
        return SetFilePointerEx(sharedFile_, position, nullptr, FILE_BEGIN) &&
               SetEndOfFile(sharedFile_);
    }

    bool writeShared(const void *p, size_t size, uint64_t at) override
    {
        LARGE_INTEGER position{};
        position.QuadPart = LONGLONG(at);
        if (!SetFilePointerEx(sharedFile_, position, nullptr, FILE_BEGIN))
            return false;
        const char *bytes = static_cast<const char *>(p);
        while (size > 0) {
            DWORD n = 0;
            if (!WriteFile(sharedFile_, bytes, DWORD(size), &n, nullptr) || n == 0)
                return false;
            bytes += n;
            size -= n;
        }
        return true;
    }

    size_t localSize(MemoryHandle handle) override
    {
        return handle ? LocalSize(handle) : 0;
    }
    const void *localLock(MemoryHandle handle) override
    {
        return LocalLock(handle);
    }
    void localUnlock(MemoryHandle handle) override
    {
        LocalUnlock(handle);
    }
    void localFree(MemoryHandle handle) override
    {
        if (handle)
            LocalFree(handle);
    }

    bool load(std::string_view path, std::string &why) override
    {
        const std::wstring winPath = winePath(path);
        // The plug-in's own console output must not reach the channel.
        module_ = LoadLibraryW(winPath.c_str());
        if (!module_) {
            char text[64];
            std::snprintf(text, sizeof text, "LoadLibrary failed with error %lu", GetLastError());
            why = text;
        }
        return module_ != nullptr;
    }

    void *entry(const char *name) override
    {
        return reinterpret_cast<void *>(GetProcAddress(module_, name));
    }

    // The module's path as the program knows it: the name it asked for.
    std::string modulePath() override
    {
        return {};
    }

    int32_t getPluginInfo(void *fn, int32_t number, char *buffer, int32_t length) override
    {
        return reinterpret_cast<GetPluginInfoFn>(fn)(number, buffer, length);
    }

    std::string pluginText(char *buffer, int32_t length) override
    {
        buffer[length] = '\0';
        return toProgram(buffer);
    }

    int32_t isSupported(void *fn, std::string_view name, const char *probe) override
    {
        bool lossy = false;
        const std::string spelt = narrow(winePath(name), kCodePage, &lossy);
        return reinterpret_cast<IsSupportedFn>(fn)(spelt.c_str(),
                                                   DWORD(reinterpret_cast<uintptr_t>(probe)));
    }

    // A name that code page 932 cannot spell is read here and handed over in
    // memory.
    CallSource callSource(const PictureSource &s) override
    {
        CallSource c;
        c.flag = s.flag;
        if (s.flag == kSourceMemory) {
            c.bytes.assign(s.data);
            c.length = LONG(c.bytes.size());
            return c;
        }
        const std::wstring path = winePath(s.data);
        bool lossy = false;
        c.bytes = narrow(path, kCodePage, &lossy);
        c.length = LONG(s.offset);
        if (!lossy)
            return c;
        c.bytes.clear();
        c.flag = kSourceMemory;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        LARGE_INTEGER size{};
        if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size) ||
            size.QuadPart < s.offset || size.QuadPart - s.offset > LONGLONG(kMaxPayload)) {
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
            c.ok = false;
            return c;
        }
        c.bytes.resize(size_t(size.QuadPart - s.offset));
        LARGE_INTEGER at{};
        at.QuadPart = s.offset;
        DWORD n = 0;
        c.ok =
            SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
            (c.bytes.empty() || (ReadFile(file, &c.bytes[0], DWORD(c.bytes.size()), &n, nullptr) &&
                                 n == c.bytes.size()));
        CloseHandle(file);
        c.length = LONG(c.bytes.size());
        return c;
    }

    int32_t getPictureInfo(void *fn, const CallSource &source, PictureFacts &facts) override
    {
        WinPictureInfo info{};
        const int answer = reinterpret_cast<GetPictureInfoFn>(fn)(
            source.bytes.c_str(), LONG(source.length), source.flag, &info);
        facts.left = info.left;
        facts.top = info.top;
        facts.width = info.width;
        facts.height = info.height;
        facts.xDensity = info.xDensity;
        facts.yDensity = info.yDensity;
        facts.colorDepth = info.colorDepth;
        facts.text = info.textInfo;
        return answer;
    }

    int32_t getPicture(void *fn, const CallSource &source, bool withProgress, MemoryHandle &info,
                       MemoryHandle &bits) override
    {
        return reinterpret_cast<GetPictureFn>(fn)(source.bytes.c_str(), LONG(source.length),
                                                  source.flag, &info, &bits,
                                                  withProgress ? &relayProgress : nullptr, 0);
    }

  private:
    HANDLE channelIn_;
    HANDLE channelOut_;
    HANDLE sharedFile_;
    HMODULE module_ = nullptr;
};

} // namespace

int main(int argc, char **argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(&lastChance);
    if (argc < 2) {
        std::fputs("nubivu-spihost32: started by the program only\n", stderr);
        return 2;
    }
    // The channel is what standard input and output were; from here on
    // anything printed, by us or by a plug-in, goes to the error output.
    const HANDLE channelIn = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE channelOut = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, errors);
    SetStdHandle(STD_INPUT_HANDLE, INVALID_HANDLE_VALUE);
    _dup2(_fileno(stderr), _fileno(stdout));
    _setmode(_fileno(stdout), _O_BINARY);

    const HANDLE sharedFile = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
    if (sharedFile == INVALID_HANDLE_VALUE)
        return 2;

    WindowsPlatform platform(channelIn, channelOut, sharedFile);
    RequestLoop(platform).run();
}
