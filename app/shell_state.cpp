// shell_state.cpp -- the program's state: the run's and the loaded scene's.
#include "app/app.h"

RunState run;
std::unique_ptr<LoadedScene> loaded;
