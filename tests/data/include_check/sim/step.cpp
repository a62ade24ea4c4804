// A window library header outside platform/ and the backends.
#  include <SDL.h>
