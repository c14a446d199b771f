// The plug-in helper for 32-bit Windows plug-ins, built with the mingw-w64
// i686 compiler and run by Wine. It speaks the same protocol as the native
// helper (helperprotocol.h) over its standard input and output, and writes
// decoded bitmaps into the file named by its first argument, which the
// program maps. What differs is the plug-in's side: 32-bit stdcall entry
// points, a 26-byte PictureInfo with a 32-bit handle, texts and file names
// in code page 932, and Windows paths.
#include "spi/helperprotocol.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

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

constexpr int kNoFunction = -1;
constexpr int kOtherError = 8;
constexpr UINT kCodePage = 932;

HANDLE channelIn = INVALID_HANDLE_VALUE;
HANDLE channelOut = INVALID_HANDLE_VALUE;
HANDLE sharedFile = INVALID_HANDLE_VALUE;
FARPROC entries[kEntryCount] = {};

[[noreturn]] void quit()
{
    ExitProcess(0);
}

// A fault in the plug-in ends this process quietly: no debugger, no dialog.
LONG WINAPI lastChance(EXCEPTION_POINTERS *)
{
    ExitProcess(3);
    return EXCEPTION_EXECUTE_HANDLER;
}

void writeAll(const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        if (!WriteFile(channelOut, bytes.data() + done, DWORD(bytes.size() - done), &n, nullptr) ||
            n == 0)
            quit();
        done += n;
    }
}

void readAll(char *p, size_t size)
{
    while (size > 0) {
        DWORD n = 0;
        if (!ReadFile(channelIn, p, DWORD(size), &n, nullptr) || n == 0)
            quit();
        p += n;
        size -= n;
    }
}

Message readFrame(std::string &payload)
{
    unsigned char head[kFrameHeaderSize];
    readAll(reinterpret_cast<char *>(head), sizeof head);
    const FrameHeader h = parseFrameHeader(head);
    if (h.length > kMaxPayload)
        quit();
    payload.resize(h.length);
    if (!payload.empty())
        readAll(&payload[0], payload.size());
    return Message(h.type);
}

void send(WireWriter &w)
{
    writeAll(w.frame());
}

template <class Fn> Fn entry(Entry e)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(entries[uint32_t(e)]));
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

void load(WireReader &r)
{
    const std::wstring path = winePath(r.bytes());
    // The plug-in's own console output must not reach the channel.
    HMODULE module = LoadLibraryW(path.c_str());
    WireWriter w(Message::Loaded);
    if (!module) {
        char why[64];
        std::snprintf(why, sizeof why, "LoadLibrary failed with error %lu", GetLastError());
        w.u8(0).u32(0).bytes(why);
        send(w);
        return;
    }
    uint32_t mask = 0;
    for (int i = 0; i < kEntryCount; ++i) {
        entries[i] = GetProcAddress(module, kEntryNames[i]);
        if (entries[i])
            mask |= 1u << i;
    }
    // The module's path as the program knows it: the name it asked for.
    w.u8(1).u32(mask).bytes("");
    send(w);
}

void result(int32_t value)
{
    WireWriter w(Message::Result);
    w.i32(value);
    send(w);
}

void getPluginInfo(WireReader &r)
{
    const int32_t number = r.i32();
    const int32_t length = r.i32();
    auto fn = entry<GetPluginInfoFn>(Entry::GetPluginInfo);
    if (!fn || length < 0 || length > 4096)
        return result(0);
    std::vector<char> buffer(size_t(length) + 2, 0);
    const int answer = fn(number, buffer.data(), length);
    buffer[size_t(length)] = '\0';
    WireWriter w(Message::Result);
    w.i32(answer).bytes(toProgram(buffer.data()));
    send(w);
}

// The source as the plug-in takes it: a CP932 file name, or the bytes. A
// name that code page 932 cannot spell is read here and handed over in memory.
struct CallSource {
    std::string bytes;
    LONG length = 0;
    UINT flag = 0;
    bool ok = true;
};

CallSource callSource(WireReader &r)
{
    const PictureSource s = getSource(r);
    CallSource c;
    c.flag = s.flag;
    if (s.flag == 1) {
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
    c.flag = 1;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    LARGE_INTEGER size{};
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size) || size.QuadPart < s.offset ||
        size.QuadPart - s.offset > LONGLONG(kMaxPayload)) {
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        c.ok = false;
        return c;
    }
    c.bytes.resize(size_t(size.QuadPart - s.offset));
    LARGE_INTEGER at{};
    at.QuadPart = s.offset;
    DWORD n = 0;
    c.ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
           (c.bytes.empty() || (ReadFile(file, &c.bytes[0], DWORD(c.bytes.size()), &n, nullptr) &&
                                n == c.bytes.size()));
    CloseHandle(file);
    c.length = LONG(c.bytes.size());
    return c;
}

void isSupported(WireReader &r)
{
    bool lossy = false;
    const std::string name = narrow(winePath(r.bytes()), kCodePage, &lossy);
    std::string probe(r.bytes());
    auto fn = entry<IsSupportedFn>(Entry::IsSupported);
    if (!fn)
        return result(0);
    probe.resize(std::max<size_t>(probe.size(), kProbeSize), '\0');
    result(fn(name.c_str(), DWORD(reinterpret_cast<uintptr_t>(probe.data()))));
}

void getPictureInfo(WireReader &r)
{
    const CallSource source = callSource(r);
    auto fn = entry<GetPictureInfoFn>(Entry::GetPictureInfo);
    WinPictureInfo info{};
    const int answer = !fn          ? kNoFunction
                       : !source.ok ? kOtherError
                                    : fn(source.bytes.c_str(), source.length, source.flag, &info);
    const HLOCAL text = info.textInfo;
    std::string textBytes;
    if (const SIZE_T size = text ? LocalSize(text) : 0; size > 0 && size <= kMaxTextInfo) {
        textBytes.assign(static_cast<const char *>(LocalLock(text)), size);
        LocalUnlock(text);
    }
    WireWriter w(Message::PictureInfo);
    w.i32(answer).i32(info.left).i32(info.top).i32(info.width).i32(info.height);
    w.u16(info.xDensity).u16(info.yDensity).u16(uint16_t(info.colorDepth)).bytes(textBytes);
    send(w);
    if (text)
        LocalFree(text);
}

int __stdcall relayProgress(int done, int total, LONG)
{
    WireWriter w(Message::Progress);
    w.i32(done).i32(total);
    send(w);
    std::string payload;
    if (readFrame(payload) != Message::ProgressAnswer)
        quit();
    WireReader r(payload);
    const int32_t answer = r.i32();
    return r.ok() ? answer : 1;
}

bool writeShared(const void *p, SIZE_T size, uint64_t at)
{
    LARGE_INTEGER position{};
    position.QuadPart = LONGLONG(at);
    if (!SetFilePointerEx(sharedFile, position, nullptr, FILE_BEGIN))
        return false;
    const char *bytes = static_cast<const char *>(p);
    while (size > 0) {
        DWORD n = 0;
        if (!WriteFile(sharedFile, bytes, DWORD(size), &n, nullptr) || n == 0)
            return false;
        bytes += n;
        size -= n;
    }
    return true;
}

bool sizeShared(uint64_t size)
{
    LARGE_INTEGER position{};
    position.QuadPart = LONGLONG(size);
    return SetFilePointerEx(sharedFile, position, nullptr, FILE_BEGIN) && SetEndOfFile(sharedFile);
}

void getPicture(WireReader &r)
{
    const bool preview = r.u8() != 0;
    const bool withProgress = r.u8() != 0;
    const CallSource source = callSource(r);
    auto fn = entry<GetPictureFn>(preview ? Entry::GetPreview : Entry::GetPicture);
    HLOCAL info = nullptr;
    HLOCAL bits = nullptr;
    const int answer = !fn          ? kNoFunction
                       : !source.ok ? kOtherError
                                    : fn(source.bytes.c_str(), source.length, source.flag, &info,
                                         &bits, withProgress ? &relayProgress : nullptr, 0);
    uint64_t infoBytes = 0;
    uint64_t bitsBytes = 0;
    if (answer == 0) {
        infoBytes = info ? LocalSize(info) : 0;
        bitsBytes = bits ? LocalSize(bits) : 0;
        const uint64_t pixelsAt = pixelOffset(infoBytes);
        bool ok = infoBytes > 0 && bitsBytes > 0 && sizeShared(pixelsAt + bitsBytes);
        if (ok) {
            ok = writeShared(LocalLock(info), SIZE_T(infoBytes), 0) &&
                 writeShared(LocalLock(bits), SIZE_T(bitsBytes), pixelsAt);
            LocalUnlock(info);
            LocalUnlock(bits);
        }
        if (!ok)
            infoBytes = bitsBytes = 0;
        if (info)
            LocalFree(info);
        if (bits)
            LocalFree(bits);
    }
    WireWriter w(Message::Picture);
    w.i32(answer).u64(infoBytes).u64(bitsBytes);
    send(w);
}

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
    channelIn = GetStdHandle(STD_INPUT_HANDLE);
    channelOut = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, errors);
    SetStdHandle(STD_INPUT_HANDLE, INVALID_HANDLE_VALUE);
    _dup2(_fileno(stderr), _fileno(stdout));
    _setmode(_fileno(stdout), _O_BINARY);

    sharedFile = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (sharedFile == INVALID_HANDLE_VALUE)
        return 2;

    std::string payload;
    for (;;) {
        const Message type = readFrame(payload);
        WireReader r(payload);
        switch (type) {
        case Message::Load:
            load(r);
            break;
        case Message::GetPluginInfo:
            getPluginInfo(r);
            break;
        case Message::IsSupported:
            isSupported(r);
            break;
        case Message::GetPictureInfo:
            getPictureInfo(r);
            break;
        case Message::GetPicture:
            getPicture(r);
            break;
        default:
            quit();
        }
    }
}
