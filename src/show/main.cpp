// The program's entry. Including SDL.h lets SDL rename main to SDL_main on the
// platforms where its start-up shim provides the real entry.
#include "show/startup.h"

#include <SDL.h>

int main(int argc, char** argv)
{
    return run_show(argc, argv);
}
