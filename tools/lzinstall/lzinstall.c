/* lzinstall: the smallest installer of a disk set through the system's LZ
 * expansion library, as the baseline of the SETUP.EXE benchmark. Every file
 * of SRCDIR but the DISK.00n identification files is opened with
 * LZOpenFileA, expanded with LZRead in blocks of 5120 bytes into DSTDIR
 * under the name GetExpandedNameA gives, written with WriteFile, and given
 * a fixed time stamp; no window, no log, no checks beyond the calls' results.
 *
 *   lzinstall SRCDIR DSTDIR
 *
 * Prints "files=N bytes=B seconds=S" (the time of the whole loop). Exit code
 * 0 on success, 1 on a failure, 2 on bad usage. */
#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>
#include <string.h>

static char block[5120];

static int Install(const char* src, const char* dstDir, long long* total) {
  OFSTRUCT ofs;
  char expanded[MAX_PATH + 16];
  char dst[2 * MAX_PATH + 16];
  INT h = LZOpenFileA((LPSTR)src, &ofs, OF_READ);
  if (h < 0) {
    fprintf(stderr, "lzinstall: cannot open %s (%d)\n", src, h);
    return 1;
  }
  strcpy(expanded, src);
  GetExpandedNameA((LPSTR)src, expanded);
  const char* name = strrchr(expanded, '\\');
  name = name ? name + 1 : expanded;
  snprintf(dst, sizeof dst, "%s\\%s", dstDir, name);
  HANDLE out = CreateFileA(dst, GENERIC_WRITE, FILE_SHARE_WRITE, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
  if (out == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "lzinstall: cannot create %s\n", dst);
    LZClose(h);
    return 1;
  }
  INT n;
  do {
    n = LZRead(h, block, sizeof block);
    if (n < 0) {
      fprintf(stderr, "lzinstall: cannot read %s (%d)\n", src, n);
      break;
    }
    DWORD written = 0;
    if (n > 0 && (!WriteFile(out, block, (DWORD)n, &written, NULL) || written != (DWORD)n)) {
      fprintf(stderr, "lzinstall: cannot write %s\n", dst);
      n = -1;
      break;
    }
    *total += n;
  } while (n == (INT)sizeof block);
  LZClose(h);
  /* 1 January 1998, as a product's release day. */
  FILETIME ft;
  ULONGLONG t = (883612800ULL + 11644473600ULL) * 10000000ULL;
  ft.dwLowDateTime = (DWORD)t;
  ft.dwHighDateTime = (DWORD)(t >> 32);
  SetFileTime(out, NULL, &ft, &ft);
  CloseHandle(out);
  return n < 0 ? 1 : 0;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: lzinstall SRCDIR DSTDIR\n");
    return 2;
  }
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  char pattern[MAX_PATH + 8];
  snprintf(pattern, sizeof pattern, "%s\\*", argv[1]);
  CreateDirectoryA(argv[2], NULL);
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA(pattern, &fd);
  if (find == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "lzinstall: nothing in %s\n", argv[1]);
    return 1;
  }
  int files = 0, failed = 0;
  long long total = 0;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (_strnicmp(fd.cFileName, "DISK.00", 7) == 0) continue;
    char src[2 * MAX_PATH + 8];
    snprintf(src, sizeof src, "%s\\%s", argv[1], fd.cFileName);
    failed |= Install(src, argv[2], &total);
    ++files;
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  QueryPerformanceCounter(&t1);
  printf("files=%d bytes=%lld seconds=%.3f\n", files, total,
         (double)(t1.QuadPart - t0.QuadPart) / (double)freq.QuadPart);
  return failed ? 1 : 0;
}
