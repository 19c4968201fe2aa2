/* Expands files with the system's LZ expansion library (lz32), for checking
 * our SZDD writer and reader against it and for timing it.
 *
 *   lzcheck expand SRC DST [SRC DST]...
 *                            expands each SRC into its DST with LZRead
 *                            blocks of 5120 bytes; prints a line
 *                            "bytes=N length=L name=NAME" for each (L: the
 *                            header's length from LZSeek(h, 0, 2))
 *   lzcheck name PATH...     prints GetExpandedNameA of each PATH, one a line
 *   lzcheck time SRC [N]     reads SRC N times (default 1) through LZRead
 *                            and prints "bytes=N seconds=S MB/s=R"
 * Exit code 0 on success, 1 on a failure of the library, 2 on bad usage. */
#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char block[5120];

static int Expand(const char* src, const char* dst) {
  OFSTRUCT ofs;
  char name[MAX_PATH + 16];
  INT h = LZOpenFileA((LPSTR)src, &ofs, OF_READ);
  if (h < 0) {
    fprintf(stderr, "lzcheck: LZOpenFileA(%s) failed: %d\n", src, h);
    return 1;
  }
  FILE* out = fopen(dst, "wb");
  if (!out) {
    fprintf(stderr, "lzcheck: cannot create %s\n", dst);
    LZClose(h);
    return 1;
  }
  long total = 0;
  for (;;) {
    INT n = LZRead(h, block, sizeof block);
    if (n < 0) {
      fprintf(stderr, "lzcheck: LZRead failed: %d\n", n);
      fclose(out);
      LZClose(h);
      return 1;
    }
    if (n > 0 && fwrite(block, 1, (size_t)n, out) != (size_t)n) {
      fprintf(stderr, "lzcheck: cannot write %s\n", dst);
      fclose(out);
      LZClose(h);
      return 1;
    }
    total += n;
    if (n < (INT)sizeof block) break;
  }
  fclose(out);
  LONG length = LZSeek(h, 0, 2);
  LZClose(h);
  strcpy(name, "?");
  GetExpandedNameA((LPSTR)src, name);
  printf("bytes=%ld length=%ld name=%s\n", total, (long)length, name);
  return 0;
}

static int Names(int argc, char** argv) {
  char name[MAX_PATH + 16];
  for (int i = 0; i < argc; ++i) {
    memset(name, 0, sizeof name);
    INT r = GetExpandedNameA(argv[i], name);
    if (r < 0)
      printf("error %d\n", r);
    else
      printf("%s\n", name);
  }
  return 0;
}

static int Time(const char* src, int rounds) {
  LARGE_INTEGER freq, t0, t1;
  long long total = 0;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  for (int r = 0; r < rounds; ++r) {
    OFSTRUCT ofs;
    INT h = LZOpenFileA((LPSTR)src, &ofs, OF_READ);
    if (h < 0) {
      fprintf(stderr, "lzcheck: LZOpenFileA(%s) failed: %d\n", src, h);
      return 1;
    }
    INT n;
    do {
      n = LZRead(h, block, sizeof block);
      if (n > 0) total += n;
    } while (n == (INT)sizeof block);
    LZClose(h);
  }
  QueryPerformanceCounter(&t1);
  double seconds = (double)(t1.QuadPart - t0.QuadPart) / (double)freq.QuadPart;
  printf("bytes=%lld seconds=%.3f MB/s=%.1f\n", total, seconds,
         seconds > 0 ? (double)total / seconds / 1e6 : 0.0);
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 4 && argc % 2 == 0 && strcmp(argv[1], "expand") == 0) {
    for (int i = 2; i + 1 < argc; i += 2) {
      int r = Expand(argv[i], argv[i + 1]);
      if (r != 0) return r;
    }
    return 0;
  }
  if (argc >= 3 && strcmp(argv[1], "name") == 0) return Names(argc - 2, argv + 2);
  if (argc >= 3 && strcmp(argv[1], "time") == 0)
    return Time(argv[2], argc >= 4 ? atoi(argv[3]) : 1);
  fprintf(stderr, "usage: lzcheck expand SRC DST... | name PATH... | time SRC [N]\n");
  return 2;
}
