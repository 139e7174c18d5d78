/* host/web/stb_vorbis.c - the stb_vorbis decoder itself, compiled from the
 * source that Debian's libstb-dev ships (the desktop links Debian's libstb). */
#include <stb/stb_vorbis.h>
