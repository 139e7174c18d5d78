/* tools/fuzz/stb_vorbis_checked.c - the system's stb_vorbis, compiled into the
   Ogg fuzz target with the sanitizers, so that its reads and writes are
   checked; the linker takes these definitions ahead of the shared libstb. */
#include <stb/stb_vorbis.h>
