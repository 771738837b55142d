// A reader that reaches up into the shell: the layer check must refuse it.
#include "film/film_format.h"
#include "shell/commands.h"
