// Entry points bound from libavdevice (see FFEntries.h). No set of the
// converter holds avdevice; it is loaded only on its own.
//
// The system has avdevice's library but not its development headers, so its
// one function is declared here with the signature of its public header.
#pragma once

extern "C" void avdevice_register_all(void);

#define TVL_AVDEVICE_ENTRIES(X) X(avdevice_register_all)
