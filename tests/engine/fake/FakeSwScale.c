/* A stand-in for libswscale that exports only the first name of the
   binding list, so that binding fails at the second one. */
unsigned swscale_version(void) { return 0; }
