/* A video-hook library for the tests: fills the top-left 16 x 16 pixels of
   the luma plane with the value given as its argument (200 by default).
   Built without Configure/Release (BARE) or without Process (NO_PROCESS). */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
  uint8_t* data[4];
  int linesize[4];
} Picture;

typedef struct {
  int value;
} Context;

int HookProcessCalls = 0;
int HookReleaseCalls = 0;

#ifndef BARE
int Configure(void** ctxp, int argc, char* argv[], int last) {
  (void)last;
  if (argc > 1 && strcmp(argv[1], "fail") == 0) return 1;
  Context* c = (Context*)malloc(sizeof(Context));
  c->value = argc > 1 ? atoi(argv[1]) : 200;
  *ctxp = c;
  return 0;
}

void Release(void* ctx) {
  ++HookReleaseCalls;
  free(ctx);
}
#endif

#ifndef NO_PROCESS
void Process(void* ctx, Picture* pict, int pixFmt, int width, int height, int64_t pts) {
  (void)pixFmt;
  (void)pts;
  const int value = ctx ? ((Context*)ctx)->value : 200;
  ++HookProcessCalls;
  for (int y = 0; y < 16 && y < height; ++y) memset(pict->data[0] + y * pict->linesize[0], value, width < 16 ? width : 16);
}
#endif
