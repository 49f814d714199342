// What the Windows side of the streams, files and arguments shares (private to platform_win32_io, Win32
// side): Win32 errors as errno values, WTF-8 paths as UTF-16 ones, the standard handles, and UTF-8 or
// code page 932 text written to a console as UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The errno value Reason() words for a GetLastError() code (EIO for the codes not in the table).
int ErrnoFromWin32(DWORD error);
// GetLastError() as an errno value.
int LastErrno();

// WTF-8 bytes as UTF-16 (wide_text.h), in the type the W calls take.
std::wstring WideOf(std::string_view wtf8);
// UTF-16 from Windows as WTF-8 (wide_text.h): every name kept, lone surrogates too.
std::string Wtf8Of(std::wstring_view wide);
// Code page 932 bytes as UTF-16, as the system converts them.
std::wstring FromCodePage932(std::string_view bytes);
// A full path as GetFullPathNameW makes it, in the \\?\ form that reads past 260 characters: \\?\ before
// a drive path, \\?\UNC\ for \\server\share; a \\?\ or \\.\ path stays as it is.
std::wstring LongPathOf(std::wstring_view full);
// A WTF-8 path as UTF-16 for the W calls. A path that would pass MAX_PATH is made absolute
// (GetFullPathNameW resolves relative, `/`-separated and `C:foo` forms) and given the `\\?\` prefix
// (`\\?\UNC\` for a share), which lifts the limit; device names (NUL, CON) are left as they are.
// `absolute`: a shorter path is made absolute too (Wine's ReplaceFileW fails on relative ones with
// ERROR_DIRECTORY).
std::wstring WidePath(std::string_view path, bool absolute = false);
// GetFullPathNameW's answer for `path` (devices as \\.\NAME), or empty where it has none.
std::wstring FullPath(const std::wstring& path);

// The handle of fd 0, 1 or 2 (standard input, output, error); INVALID_HANDLE_VALUE or null when the
// process has none, or for any other fd.
HANDLE StandardHandle(int fd);
bool IsConsoleHandle(HANDLE handle);

// Writes `bytes` to the console `handle` as UTF-16: UTF-8 (WTF-8), or code page 932 where `sjis`. A
// character cut at the end of `bytes` waits in `carry` for the next call (give the same string each time);
// `last` writes what is in `carry` as it stands. 0, or the Win32 error of the write that failed.
DWORD WriteConsoleText(HANDLE handle, std::string_view bytes, bool sjis, std::string& carry, bool last);
// Writes all of `bytes` with WriteFile; 0, or the Win32 error of the write that failed.
DWORD WriteAllBytes(HANDLE handle, std::string_view bytes);
