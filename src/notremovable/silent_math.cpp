// The C runtime's math error handler, replaced: its default writes a message
// to the console, which this program never does. The program does no
// floating-point math at all, so it is never called; replacing it keeps the
// default's message texts and printf out of the exe. The runtime finds it by
// its C name and hands it its error record, which is not read.
extern "C" int __cdecl _matherr(void* /*record*/) { return 0; }
