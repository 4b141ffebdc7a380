// Program entry of the converter.
#include <cstdio>

int main(int argc, char** argv) {
  std::printf("TavrelAndroid手机视频转换器\n");
  return 0;
}
