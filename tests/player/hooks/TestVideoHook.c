/* A video-hook library for the tests: fills the top-left 16 x 16 pixels of
   the luma plane with the value given as its argument (200 by default). It
   keeps the argument as given and reads it again for every picture, and it
   measures how much neighbouring luma rows differ (combing) before drawing.
   Built without Configure/Release (BARE) or without Process (NO_PROCESS). */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
  uint8_t* data[4];
  int linesize[4];
} Picture;

typedef struct {
  const char* arg; /* argv[1] as Configure got it, or NULL */
} Context;

int HookProcessCalls = 0;
int HookReleaseCalls = 0;
/* The value the last picture was drawn with. */
int HookLastValue = 0;
/* Mean absolute difference of neighbouring luma rows of the last picture,
   below the drawn corner. */
double HookLastCombing = 0;

#ifndef BARE
int Configure(void** ctxp, int argc, char* argv[], int last) {
  (void)last;
  if (argc > 1 && strcmp(argv[1], "fail") == 0) return 1;
  Context* c = (Context*)malloc(sizeof(Context));
  c->arg = argc > 1 ? argv[1] : NULL;
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
  const Context* c = (const Context*)ctx;
  const int value = c && c->arg ? atoi(c->arg) : 200;
  long sum = 0, count = 0;
  for (int y = 16; y + 1 < height && y < 96; ++y)
    for (int x = 0; x < width && x < 96; ++x) {
      const int d = pict->data[0][y * pict->linesize[0] + x] - pict->data[0][(y + 1) * pict->linesize[0] + x];
      sum += d < 0 ? -d : d;
      ++count;
    }
  HookLastCombing = count ? (double)sum / count : 0;
  HookLastValue = value;
  ++HookProcessCalls;
  for (int y = 0; y < 16 && y < height; ++y) memset(pict->data[0] + y * pict->linesize[0], value, width < 16 ? width : 16);
}
#endif
