// Test-only program that leaks a framework object on purpose: it gives up its
// reference with release() and never drops it, the mistake the reference
// counting cannot catch by itself. Its test passes only when the leak
// checker reports the object, which proves that a leak anywhere in the
// sanitized suite would fail the run rather than pass unnoticed.
#include "Ferro/Bitmap.h"
#include "Pallet/Pallet.h"

#include <cstdio>

int
main() {
   Ferro::Bitmap * const leaked = Pallet::make< Ferro::Bitmap >( 7, 4096, Ferro::HBitmap::stateClear ).release();
   // Used once, so that nothing can optimise the allocation away.
   std::printf( "leaking Ferro::Bitmap of %u bits\n", unsigned( leaked->size() ) );
   return 0;
}
